// The user manual has a reference entry for every menu command and every captioned control of the windows:
// <dt data-ref="KEY">…</dt><dd>…</dd>, KEY being "Menu > Caption" or "Window: Caption", and the dd saying
// in at least one sentence what the command or control does.
#include "settings/ControlInventory.h"
#include "settings/MenuModel.h"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace ondrix {
namespace {

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// Text without tags, entities of the captions decoded, blanks collapsed.
std::string PlainText(std::string_view html) {
    std::string text;
    bool inTag = false;
    for (const char c : html) {
        if (c == '<' || c == '>') {
            inTag = c == '<';
            text += ' ';
        } else if (!inTag) {
            text += std::isspace(static_cast<unsigned char>(c)) ? ' ' : c;
        }
    }
    for (const auto& [entity, character] :
         {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}}) {
        text = Replace(text, entity, character);
    }
    std::istringstream words(text);
    std::string word, collapsed;
    while (words >> word) {
        collapsed += (collapsed.empty() ? "" : " ") + word;
    }
    return collapsed;
}

// Key -> text of the dd that directly follows its dt; a dt without one maps to "".
std::map<std::string, std::string> ReferenceEntries(const std::string& html) {
    std::map<std::string, std::string> entries;
    const std::string open = "<dt data-ref=\"";
    for (auto at = html.find(open); at != std::string::npos; at = html.find(open, at + 1)) {
        const auto keyEnd = html.find('"', at + open.size());
        const auto dtEnd = html.find("</dt>", keyEnd);
        if (keyEnd == std::string::npos || dtEnd == std::string::npos) {
            break;
        }
        std::string& text = entries[PlainText(html.substr(at + open.size(), keyEnd - at - open.size()))];
        const auto dd = html.find_first_not_of(" \t\r\n", dtEnd + 5);
        if (dd != std::string::npos && html.compare(dd, 4, "<dd>") == 0) {
            text += PlainText(html.substr(dd + 4, html.find("</dd>", dd) - dd - 4));
        }
    }
    return entries;
}

// At least five words, ending in a full stop.
bool SaysWhatItDoes(const std::string& text) {
    std::istringstream words(text);
    int count = 0;
    for (std::string word; words >> word;) {
        ++count;
    }
    return count >= 5 && text.ends_with('.');
}

TEST(Manual, ReferenceEntriesNeedASentence) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"<dt data-ref=\"File &gt; Exit\">Exit</dt>\n <dd>Ends the program after asking.</dd>", true},
        {"<dt data-ref=\"File &gt; Exit\">Exit</dt>", false},
        {"<dt data-ref=\"File &gt; Exit\">Exit</dt><dd>Exit.</dd>", false},
        {"<dt data-ref=\"File &gt; Exit\">Exit</dt><dd>Ends the program after asking</dd>", false},
        {"<dt data-ref=\"File &gt; Exit\">Exit</dt><p>Ends the program after asking.</p>", false},
    };
    for (const auto& [html, expected] : cases) {
        SCOPED_TRACE(html);
        const auto entries = ReferenceEntries(html);
        EXPECT_EQ(entries.contains("File > Exit") && SaysWhatItDoes(entries.at("File > Exit")), expected);
    }
}

TEST(Manual, EveryMenuCommandAndControlHasAReferenceEntry) {
    std::ifstream file(ONDRIX_MANUAL);
    ASSERT_TRUE(file) << ONDRIX_MANUAL;
    const std::map<std::string, std::string> entries =
        ReferenceEntries(std::string(std::istreambuf_iterator<char>(file), {}));

    std::vector<std::string> keys;
    const MenuModel menus;
    for (const MenuCommand& command : menus.Commands()) {
        keys.push_back(command.menu + " > " + command.caption);
    }
    const std::vector<std::pair<std::string, std::vector<Control>>> windows = {
        {"Main window", Form1Controls()},
        {"Basic Settings", Options0Controls()},
        {"Advanced Settings", Options1Controls()},
        {"Special Settings", Options2Controls()},
    };
    for (const auto& [window, controls] : windows) {
        for (const Control& control : controls) {
            if (!control.caption.empty() &&
                (IsValueKind(control.kind) || control.kind == ControlKind::Button)) {
                keys.push_back(window + ": " + control.caption);
            }
        }
    }
    for (const std::string& key : keys) {
        SCOPED_TRACE(key);
        const auto entry = entries.find(key);
        if (entry == entries.end()) {
            ADD_FAILURE() << "no <dt data-ref=\"" << key << "\"> in the manual";
            continue;
        }
        EXPECT_TRUE(SaysWhatItDoes(entry->second)) << "its <dd> says too little: " << entry->second;
    }
}

} // namespace
} // namespace ondrix
