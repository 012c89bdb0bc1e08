#pragma once

#include <vector>

#include "text/gbk.h"

namespace ardentis::game {

// One game or mod of the table.
struct TModItem {
    text::Gbk code;               // travels in room records; "SC" for Supreme Commander
    text::Gbk name;               // what users see, and the room record's mod name
    std::vector<text::Gbk> exes;  // candidate executables, in the order they are tried
    bool infile = false;          // the mods file listed this code again
};

}  // namespace ardentis::game
