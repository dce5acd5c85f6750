#pragma once
// GB 18030 where code page 936 does not give it (the data: gb18030_tables.cpp, made by
// scripts/gb18030_tables.py).
#include <cstdint>

namespace host::gb18030 {

// A two-byte code that GB 18030 reads as another character than code page 936 does (936
// has the private use area there, or the euro at 0x80). Sorted by code.
struct TwoByteException {
    std::uint16_t code, unit;
};
extern const TwoByteException kTwoByteExceptions[81];

// The basic plane's four-byte codes, numbered linearly from 0x81308130 on: a run of
// consecutive characters with consecutive numbers, lasting up to the next run's number (the
// last up to kFourByteBasicPlaneEnd). Sorted by character and by number alike.
struct FourByteRun {
    std::uint16_t unit, index;
};
extern const FourByteRun kFourByteRuns[206];
extern const unsigned kFourByteBasicPlaneEnd;

}  // namespace host::gb18030
