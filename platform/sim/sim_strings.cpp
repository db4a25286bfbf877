// USER32's small formatter, for the conversions the program uses. Like the
// real one it takes no floating point, and it writes at most 1024 bytes.
#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <string>

#include "sim_internal.h"

namespace {

constexpr size_t kFormattedBufferSize = 1024;

}  // namespace

int WINAPIV wsprintfA(LPSTR buffer, LPCSTR format, ...) {
    std::string out;
    va_list args;
    va_start(args, format);
    for (const char* at = format; *at; ++at) {
        if (*at != '%' || !at[1]) {
            out += *at;
            continue;
        }
        switch (*++at) {
            case 'd':
                out += std::to_string(va_arg(args, int));
                break;
            case 'u':
                out += std::to_string(va_arg(args, unsigned int));
                break;
            case 's':
                out += va_arg(args, const char*);
                break;
            default:  // "%%", and a type it does not know, give the character itself
                out += *at;
                break;
        }
    }
    va_end(args);
    out.resize(std::min(out.size(), kFormattedBufferSize - 1));
    std::memcpy(buffer, out.c_str(), out.size() + 1);
    return static_cast<int>(out.size());
}
