// Two hooks of the C++ runtime, given small bodies of our own: the setup and the product's
// programs that use the string class link them.
//
// The default terminate handler prints the exception's type, demangled, to a console that a
// windowed program does not have, and brings some 45 KB of demangler with it. The setup
// catches everything before it could be reached; should it be, ending at once will do.
//
// The string and container code reports impossible sizes through the __throw_* helpers; the
// runtime's own throw exceptions that carry their message in a string, which brings two more
// instantiations of the string class (some 60 KB). These throw an exception that points at
// the message instead. Nothing of ours tells one exception type from another: every barrier
// catches them all.
#include <cstdlib>
#include <exception>
#include <new>

namespace {

class RuntimeError final : public std::exception {
public:
    explicit RuntimeError(const char* message) : message_(message) {}
    const char* what() const noexcept override { return message_; }

private:
    const char* message_;
};

}  // namespace

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() { throw std::bad_alloc(); }
void __throw_bad_array_new_length() { throw std::bad_alloc(); }
void __throw_length_error(const char* message) { throw RuntimeError(message); }
void __throw_logic_error(const char* message) { throw RuntimeError(message); }
void __throw_out_of_range_fmt(const char* format, ...) { throw RuntimeError(format); }
}  // namespace std
