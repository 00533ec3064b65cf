// Nothing in the prompt catches an exception, so any throw would end it through
// std::terminate. The C++ library's own ways there are large: its default terminate handler
// demangles the exception's type for a console a GUI program does not have, and its throw
// helpers build exception objects holding a second, copy-on-write string implementation.
// Ending at once instead keeps both out of plimsay.exe, and ends it just the same.
#include <cstdlib>

// NOLINTBEGIN(bugprone-reserved-identifier,cert-dcl58-cpp): replace the runtime's own functions by name
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

// Every throw helper of the library's one object that holds them; defining only some would
// still link that object and clash with it.
namespace std {
void __throw_bad_exception() { std::abort(); }
void __throw_bad_alloc() { std::abort(); }
void __throw_bad_array_new_length() { std::abort(); }
void __throw_bad_cast() { std::abort(); }
void __throw_bad_typeid() { std::abort(); }
void __throw_logic_error(const char*) { std::abort(); }
void __throw_domain_error(const char*) { std::abort(); }
void __throw_invalid_argument(const char*) { std::abort(); }
void __throw_length_error(const char*) { std::abort(); }
void __throw_out_of_range(const char*) { std::abort(); }
void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
void __throw_runtime_error(const char*) { std::abort(); }
void __throw_range_error(const char*) { std::abort(); }
void __throw_overflow_error(const char*) { std::abort(); }
void __throw_underflow_error(const char*) { std::abort(); }
}  // namespace std
// NOLINTEND(bugprone-reserved-identifier,cert-dcl58-cpp)
