// Which chat lines name the user.
#include "ui/forms/chat_mention.h"

#include <gtest/gtest.h>

#include "text/code_page.h"

namespace ardentis::forms {
namespace {

struct Case {
    const char* line;
    bool mentioned;
};

TEST(ChatMention, NamesTheUserInOthersTextOnly) {
    const Case cases[] = {
        {"bob>>hi alice", true},
        {"bob>>ALICE, ready?", true},
        {"bob>>小红在吗", true},  // the nickname
        {"bob>>hi all", false},
        {"alice>>alice here", false},  // the user's own line
        {"作战指挥室>>alice joined", false},
        {"alice joined", false},     // no speaker
        {"alicebob>>hello", false},  // the name in the speaker only
    };
    for (const Case& c : cases) {
        EXPECT_EQ(mentionsUser(text::gbk(c.line), text::gbk("alice"), text::gbk("小红")),
                  c.mentioned)
            << c.line;
    }
    EXPECT_FALSE(mentionsUser(text::gbk("bob>>anything"), text::gbk("alice"), text::Gbk()));
}

}  // namespace
}  // namespace ardentis::forms
