#include "controls/memory/memory_memo.h"

#include <string>

namespace ardentis::forms {

text::Gbk MemoryMemo::text() const {
    std::string joined;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i > 0) {
            joined += "\r\n";
        }
        joined += lines_[i].text.bytes();
    }
    return text::Gbk(std::move(joined));
}

void MemoryMemo::appendLine(const text::Gbk& line, LineMark mark) {
    lines_.push_back({line, mark});
    if (limit_ > 0 && lineCount() > limit_) {
        lines_.erase(lines_.begin(), lines_.end() - limit_);
    }
    caret_ = lineCount() - 1;
}

void MemoryMemo::clear() {
    lines_.clear();
    caret_ = 0;
}

text::Gbk MemoryMemo::line(int index) const {
    return index >= 0 && index < lineCount() ? lines_[static_cast<std::size_t>(index)].text
                                             : text::Gbk();
}

bool MemoryMemo::highlighted(int index) const {
    return index >= 0 && index < lineCount() &&
           lines_[static_cast<std::size_t>(index)].mark == LineMark::Highlight;
}

void MemoryMemo::type(const text::Gbk& text) {
    if (lines_.empty()) {
        lines_.emplace_back();
        caret_ = 0;
    }
    lines_[static_cast<std::size_t>(caret_)].text += text;
    onChange();
}

void MemoryMemo::pressEnter() {
    if (lines_.empty()) {
        lines_.emplace_back();
        caret_ = 0;
    }
    lines_.insert(lines_.begin() + caret_ + 1, Line{});
    ++caret_;
    onChange();
    if (onKeyDown) {
        onKeyDown(kEnter);
    }
}

void MemoryMemo::applyText(const text::Gbk& text) {
    lines_.clear();
    std::string_view rest = text.view();
    if (!rest.empty()) {
        while (true) {
            const auto end = rest.find('\n');
            std::string_view piece = rest.substr(0, end);
            if (piece.ends_with('\r')) {
                piece.remove_suffix(1);
            }
            lines_.push_back({text::Gbk(piece)});
            if (end == std::string_view::npos) {
                break;
            }
            rest.remove_prefix(end + 1);
        }
    }
    caret_ = lines_.empty() ? 0 : lineCount() - 1;
}

}  // namespace ardentis::forms
