#pragma once
// The product's licence agreement, shown on the licence page: GBK text with CR LF line breaks.

namespace wizard {

extern const char kLicenceText[];      // NUL-terminated
extern const int kLicenceTextLength;   // bytes, without the NUL

}  // namespace wizard
