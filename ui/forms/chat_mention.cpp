#include "ui/forms/chat_mention.h"

#include <string_view>

#include "text/caseless.h"
#include "text/literal.h"

namespace ardentis::forms {

bool mentionsUser(const text::Gbk& line, const text::Gbk& account, const text::Gbk& nickname) {
    const std::string_view bytes = line.view();
    const std::size_t mark = bytes.find(">>");
    if (mark == std::string_view::npos) {
        return false;
    }
    const text::Gbk speaker(bytes.substr(0, mark));
    if (speaker == account || speaker == text::zh<"作战指挥室">()) {
        return false;
    }
    const text::Gbk said(bytes.substr(mark + 2));
    // An empty name is in no text.
    return text::containsIgnoringAsciiCase(said, account) ||
           text::containsIgnoringAsciiCase(said, nickname);
}

}  // namespace ardentis::forms
