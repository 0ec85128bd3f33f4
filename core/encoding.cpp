#include "core/encoding.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>

#include <iconv.h>

namespace zorvane::core {

namespace {

// The program's texts are in the Windows ANSI code page 936. glibc's "GBK" is
// that code page (0x80 is the euro sign); GB18030 would be a superset whose
// four-byte sequences the program never writes. The compiler's
// -fexec-charset=GBK goes through the same table, so literals and converted
// texts agree byte for byte.
constexpr const char* program_code_page = "GBK";

constexpr std::string_view replacement_character = "\xEF\xBF\xBD"; // U+FFFD in UTF-8
constexpr std::string_view missing_in_gbk = "?";

unsigned byte_at(std::string_view text, std::size_t index) {
    return static_cast<unsigned char>(text[index]);
}

// One iconv descriptor per direction and thread, opened on first use.
class Converter {
public:
    Converter(const char* to, const char* from)
        : descriptor_(iconv_open(to, from)) {}
    ~Converter() {
        if (is_open()) {
            iconv_close(descriptor_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts input; where iconv stops at bytes it cannot convert,
    // on_error(rest) appends a stand-in to the output and returns how many
    // bytes (at least one) it stands for.
    template <typename OnError>
    std::string convert(std::string_view input, OnError on_error) {
        std::string output;
        output.reserve(input.size() + input.size() / 2);
        if (!is_open()) {
            // Without a conversion table only ASCII can be trusted.
            std::size_t at = 0;
            while (at < input.size()) {
                if (byte_at(input, at) < 0x80) {
                    output += input[at++];
                } else {
                    at += on_error(input.substr(at), output);
                }
            }
            return output;
        }
        iconv(descriptor_, nullptr, nullptr, nullptr, nullptr); // initial shift state
        char chunk[4096];
        char* in = const_cast<char*>(input.data());
        std::size_t in_left = input.size();
        while (in_left > 0) {
            char* out = chunk;
            std::size_t out_left = sizeof chunk;
            const std::size_t result = iconv(descriptor_, &in, &in_left, &out, &out_left);
            const int error = errno;
            output.append(chunk, sizeof chunk - out_left);
            if (result != static_cast<std::size_t>(-1) || error == E2BIG) {
                continue;
            }
            // EILSEQ: an invalid or unconvertible sequence; EINVAL: a sequence
            // cut off by the end of the input. Either way it is replaced.
            const std::size_t skipped = on_error(std::string_view(in, in_left), output);
            in += skipped;
            in_left -= skipped;
        }
        return output;
    }

private:
    bool is_open() const {
        return descriptor_ != reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1));
    }

    iconv_t descriptor_;
};

// A byte of 0x81 to 0xFE followed by a byte of 0x40 to 0xFE (but 0x7F) has the
// shape of a GBK character even when the table has nothing for it; it stands
// for one character. Any other byte that does not decode stands alone, so an
// ASCII byte after a stray lead byte survives.
std::size_t replace_gbk_bytes(std::string_view rest, std::string& output) {
    output += replacement_character;
    const unsigned lead = byte_at(rest, 0);
    if (rest.size() >= 2 && lead >= 0x81 && lead <= 0xFE) {
        const unsigned trail = byte_at(rest, 1);
        if (trail >= 0x40 && trail <= 0xFE && trail != 0x7F) {
            return 2;
        }
    }
    return 1;
}

// The length of the longest start of rest that could begin a well-formed UTF-8
// sequence (at least one byte): a whole character GBK lacks, or the bytes of a
// broken one that are replaced together.
std::size_t utf8_sequence_length(std::string_view rest) {
    const unsigned lead = byte_at(rest, 0);
    std::size_t continuations = 0;
    unsigned low = 0x80;
    unsigned high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        continuations = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        continuations = 2;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        continuations = 3;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF; // nothing above U+10FFFF
    }
    std::size_t length = 1;
    while (length <= continuations && length < rest.size()) {
        const unsigned next = byte_at(rest, length);
        const bool fits = length == 1 ? next >= low && next <= high : next >= 0x80 && next <= 0xBF;
        if (!fits) {
            break;
        }
        ++length;
    }
    return length;
}

std::size_t replace_utf8_bytes(std::string_view rest, std::string& output) {
    output += missing_in_gbk;
    return utf8_sequence_length(rest);
}

} // namespace

std::string gbk_to_utf8(std::string_view gbk) {
    thread_local Converter converter("UTF-8", program_code_page);
    return converter.convert(gbk, replace_gbk_bytes);
}

std::string utf8_to_gbk(std::string_view utf8) {
    thread_local Converter converter(program_code_page, "UTF-8");
    return converter.convert(utf8, replace_utf8_bytes);
}

} // namespace zorvane::core
