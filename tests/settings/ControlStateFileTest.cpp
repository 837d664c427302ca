#include "SettingsFixture.h"

#include <algorithm>
#include <string>
#include <vector>

namespace ondrix {
namespace {

// Moves every saved control away from its value: lists to their next entry, texts to a text holding
// "." and "=", checks toggled, spins up by one, and the last option of each group selected.
void ChangeEverything(ControlModel& window) {
    for (const Control& control : window.Controls()) {
        if (!control.IsSaved()) {
            continue;
        }
        if (control.kind == ControlKind::List && !control.items.empty()) {
            window.SetListIndex(control.name,
                                (control.listIndex + 1) % static_cast<int>(control.items.size()));
        } else if (control.kind == ControlKind::List || control.kind == ControlKind::Text) {
            window.SetText(control.name, "v." + control.name + " = x ");
        } else if (control.kind == ControlKind::Check) {
            window.SetChecked(control.name, !window.Checked(control.name));
        } else if (control.kind == ControlKind::Option) {
            window.SetChecked(control.name, true);
        } else {
            window.SetNumber(control.name, window.IntValue(control.name) + 1);
        }
    }
}

TEST_F(SettingsTest, EverySavedControlComesBackAndSavesToTheSameBytes) {
    const std::map<std::string, std::string> before = SavedState();
    ASSERT_TRUE(files.SaveControlState(Path("before.ini")));
    for (WindowId id : {WindowId::Form1, WindowId::Options0, WindowId::Options1, WindowId::Options2}) {
        ChangeEverything(settings.Window(id));
    }
    // A state the typed edits of a load keep (the first colour entry would be read back as "0").
    options0().SetText("ColourScale", "7 sepia");
    settings.BasicSettingsCheck();
    const std::map<std::string, std::string> after = SavedState();
    EXPECT_GT(std::ranges::count_if(
                  after, [&](const auto& entry) { return entry.second != before.at(entry.first); }),
              static_cast<long>(after.size() * 9 / 10));
    ASSERT_TRUE(files.SaveControlState(Path("after.ini")));

    ASSERT_TRUE(files.LoadControlState(Path("before.ini")));
    EXPECT_EQ(SavedState(), before);
    EXPECT_EQ(UpdateForms(), 1) << "a load re-lays out once, not once per value";
    ASSERT_TRUE(files.LoadControlState(Path("after.ini")));
    EXPECT_EQ(SavedState(), after);
    ASSERT_TRUE(files.SaveControlState(Path("again.ini")));
    EXPECT_EQ(ReadFile(Path("again.ini")), ReadFile(Path("after.ini")));
    EXPECT_TRUE(interaction.messages.empty());
}

TEST_F(SettingsTest, LinesPadTheNameToTheNextZoneAndEndInCrLf) {
    options1().SetText("TapeSpeedCombo", "0.5");
    form().SetChecked("ZoomFlag", true);
    form().SetNumber("UpDown1", -3);
    form().SetText("Text1", "7\nFORM1.Text5 = 99"); // a line break must not start a line of its own
    ASSERT_TRUE(files.SaveControlState(Path("state.ini")));
    const std::string text = ReadFile(Path("state.ini"));
    // 23 characters pad to column 28, exactly 14 still move one zone on, 13 pad to 14.
    for (const char* line :
         {"FORM1.BlockSize             = 8192\r\n", "FORM1.FFTSize = 512\r\n",
          "FORM1.Text1   = 7 FORM1.Text5 = 99\r\n", "FORM1.ZoomFlag              =  1\r\n",
          "FORM1.Check1  =  0\r\n", "FORM1.UpDown1 = -3\r\n", "OPTIONS0.OptionCS0          = -1\r\n",
          "OPTIONS0.OptionCS1          =  0\r\n", "OPTIONS1.TapeSpeedCombo     = 0.5\r\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line;
    }
    EXPECT_EQ(text.find("FORM1.BlockSize"), 0u);
    EXPECT_TRUE(text.ends_with("\r\nOPTIONS2.Combo2             = 2\r\n"));
    EXPECT_EQ(std::ranges::count(text, '\n'), std::ranges::count(text, '\r'));
    for (const char* absent : {"PauseButton", "RecPauseFlag", "StatusLine", "ApplyButton", "SpecFormCheck"}) {
        EXPECT_EQ(text.find(absent), std::string::npos) << absent;
    }
}

TEST_F(SettingsTest, LinesThatCannotBeAppliedAreSkippedAndListsCountAsTyped) {
    std::string text = "options1.TapeSpeedCombo     = 4\r\n"  // window in lower case
                       "OPTIONS1.TapeSpeedCombo no value\r\n" // a dot but no "="
                       "OPTIONS1=.TapeSpeedCombo 8\r\n"       // "=" before the dot
                       "OPTIONS9.Text1 = 5\r\nFORM1.NoSuchControl = 5\r\n"
                       "FORM1.PauseButton = 1\r\nFORM1.StatusLine = x\r\nOPTIONS2.SpecFormCheck = 1\r\n";
    text += std::string("\0\xff.\x01=\x80\n\n\r", 8);                // binary garbage, empty lines
    text += "OPTIONS1.Text1 = " + std::string(100000, '9') + "\r\n"; // longer than any line of the format
    // What follows still applies; names lose trailing blanks, values leading ones. A pick of this
    // scan step would double the block, a typed Basic Settings rate is checked.
    text += "OPTIONS1.Combo9      =      8\rOPTIONS1.TriggerSpecOption=-1\nFORM1.BlockSize = 4096\r\n"
            "FORM1.ScanStep = 8192\r\nOPTIONS0.SampleRate = 5\r\nOPTIONS2.Combo2 = 16\r\nFORM1.Text2";
    WriteFile(Path("state.ini"), text);
    std::map<std::string, std::string> expected = SavedState();
    ASSERT_TRUE(files.LoadControlState(Path("state.ini")));
    expected["OPTIONS1.Combo9"] = "8";
    expected["OPTIONS1.TriggerWaveOption"] = "0";
    expected["OPTIONS1.TriggerSpecOption"] = "-1";
    expected["FORM1.BlockSize"] = "4096";
    expected["FORM1.ScanStep"] = "8192";
    expected["OPTIONS0.SampleRate"] = "32000";
    expected["OPTIONS2.Combo2"] = "16";
    EXPECT_EQ(SavedState(), expected);
    EXPECT_EQ(form().Text("PauseButton"), "0");
    EXPECT_EQ(form().Text("StatusLine"), "");

    // Megabytes without a line end, lines beyond the line limit, a device: nothing applies.
    WriteFile(Path("long.ini"), "OPTIONS1.Text1 = " + std::string(6 << 20, '7'));
    std::string many(200000, '\n');
    WriteFile(Path("many.ini"), many + "OPTIONS1.Text1 = 1\r\n");
    EXPECT_TRUE(files.LoadControlState(Path("long.ini")));
    EXPECT_TRUE(files.LoadControlState(Path("many.ini")));
    EXPECT_FALSE(files.LoadControlState("/dev/zero"));
    EXPECT_EQ(options1().Text("Text1"), "255");
    EXPECT_EQ(interaction.Texts(), std::vector<std::string>{"User Defaults not available"});
}

// --- Undo and the user default ----------------------------------------------------------------

TEST_F(SettingsTest, ExitOfBasicSettingsDiscardsEvenAppliedChanges) {
    settings.CopyQuickToBasic();
    files.OnBasicSettingsOpened();
    options0().SetText("BlockSize", "32768");
    options0().Click("ApplyButton");
    ASSERT_EQ(form().Text("BlockSize"), "32768");
    options0().Click("ExitButton");
    EXPECT_EQ(form().Text("BlockSize"), "8192");
    EXPECT_EQ(options0().Text("BlockSize"), "8192");

    files.OnAdvancedSettingsOpened();
    options1().SetText("TapeSpeedCombo", "8");
    options1().Click("ResetButton");
    EXPECT_EQ(options1().Text("TapeSpeedCombo"), "1");
    form().SetText("Text1", "12");
    EXPECT_TRUE(menus.Trigger("UndoLatest"));
    EXPECT_EQ(form().Text("Text1"), "0");
    EXPECT_EQ(interaction.Texts(), (std::vector<std::string>{
                                       "Restored previous settings",
                                       "Restored previous settings... only the very latest changes have been "
                                       "undone"}));
}

TEST_F(SettingsTest, DeleteDefaultThenLoadDefaultFindsNoUserDefault) {
    options1().SetText("Text12", "440");
    options1().Click("SaveDefControls");
    EXPECT_EQ(form().Text("StatusLine"), "Saved Def Controls.");
    options1().SetText("Text12", "0");
    options1().Click("ResetControls");
    EXPECT_EQ(options1().Text("Text12"), "440");

    options1().Click("DeleteDefaultButton");
    EXPECT_FALSE(Exists(files.Files().UserDefault()));
    options1().Click("ResetControls");
    EXPECT_EQ(interaction.Texts(), std::vector<std::string>{"User Defaults not available"});
    EXPECT_EQ(options1().Text("Text12"), "440");
}

} // namespace
} // namespace ondrix
