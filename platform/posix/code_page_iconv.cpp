// GBK <-> UTF-8 through iconv. Code page 936 is "CP936" there: unlike GB18030 it maps
// byte 0x80 to the euro sign, as Windows does.
#include <iconv.h>

#include <cerrno>
#include <string>

#include "text/code_page.h"

namespace ardentis::text {
namespace {

class Converter {
  public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) {
            iconv_close(handle_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // iconv_open's failure value is this very cast.
    [[nodiscard]] bool valid() const {
        return handle_ != reinterpret_cast<iconv_t>(-1);  // NOLINT(performance-no-int-to-ptr)
    }

    // Converts the whole input or reports why not; errno EILSEQ/EINVAL become the error.
    std::expected<std::string, ConversionError> run(std::string_view input,
                                                    ConversionError onBadSequence) {
        if (!valid()) {
            return std::unexpected(ConversionError::Unavailable);
        }
        std::string output(input.size() * 2 + 8, '\0');
        std::string in(input);
        char* inPtr = in.data();
        std::size_t inLeft = in.size();
        std::size_t produced = 0;
        while (inLeft > 0) {
            char* outPtr = output.data() + produced;
            std::size_t outLeft = output.size() - produced;
            const std::size_t result = iconv(handle_, &inPtr, &inLeft, &outPtr, &outLeft);
            produced = output.size() - outLeft;
            if (result != static_cast<std::size_t>(-1)) {
                break;
            }
            if (errno == E2BIG) {
                output.resize(output.size() * 2);
                continue;
            }
            return std::unexpected(onBadSequence);
        }
        output.resize(produced);
        return output;
    }

  private:
    iconv_t handle_;
};

}  // namespace

std::expected<Gbk, ConversionError> fromUtf8(std::string_view utf8) {
    if (!isValidUtf8(utf8)) {
        return std::unexpected(ConversionError::InvalidInput);
    }
    Converter converter("CP936", "UTF-8");
    auto converted = converter.run(utf8, ConversionError::NotRepresentable);
    if (!converted) {
        return std::unexpected(converted.error());
    }
    return Gbk(*std::move(converted));
}

std::expected<std::string, ConversionError> toUtf8(const Gbk& text) {
    Converter converter("UTF-8", "CP936");
    return converter.run(text.view(), ConversionError::InvalidInput);
}

}  // namespace ardentis::text
