#include "system/SystemCommands.h"

#include "common/Interaction.h"
#include "common/NumberText.h"
#include "display/Palette.h"
#include "settings/MenuModel.h"
#include "settings/SettingsModel.h"

#include <fstream>
#include <iterator>
#include <map>
#include <memory>

namespace ondrix {

namespace {

std::string Joined(const std::vector<std::string>& lines, const char* separator) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += (i > 0 ? separator : "") + lines[i];
    }
    return text;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class SystemCommands {
public:
    explicit SystemCommands(SystemEnvironment environment) : env_(std::move(environment)) {}

    // The volumes with a medium, in the drive list; the first selected.
    void FillDrives() {
        std::vector<std::string> drives;
        for (const std::string& volume : env_.volumes.Volumes()) {
            if (env_.volumes.TotalKB(volume).value_or(0) > 0) {
                drives.push_back(volume);
            }
        }
        ControlModel& window = env_.settings.Options2();
        window.SetItems("Drive1", drives);
        window.SetListIndex("Drive1", drives.empty() ? -1 : 0);
    }

    void Click(const std::string& name) {
        const auto found = Buttons().find(name);
        if (found != Buttons().end()) {
            (this->*found->second)();
        }
    }

    static const std::map<std::string, void (SystemCommands::*)(), std::less<>>& Buttons() {
        static const std::map<std::string, void (SystemCommands::*)(), std::less<>> buttons = {
            {"DiskSpaceButton", &SystemCommands::DiskSpace},
            {"DiskSpaceExButton", &SystemCommands::DiskSpaceEx},
            {"CheckDiskButton", &SystemCommands::CheckDisk},
            {"DiskTypeButton", &SystemCommands::DiskType},
            {"MemCheckButton", &SystemCommands::MemCheck},
            {"ApplicationButton", &SystemCommands::Application},
            {"NormalPriorityButton", &SystemCommands::NormalPriority},
            {"HighPriorityButton", &SystemCommands::HighPriority},
            {"RealTimePriorityButton", &SystemCommands::RealTimePriority},
            {"ListPrintersButton", &SystemCommands::ListPrinters},
            {"KillTasksButton", &SystemCommands::KillTasks},
            {"FindDuplicatedColorsButton", &SystemCommands::FindDuplicatedColors},
            {"ConfirmButton", &SystemCommands::Confirm},
        };
        return buttons;
    }

    void CheckDisks() { env_.showReport(CheckDisksLines(env_.volumes)); }
    void InfoDisks() { env_.interaction.ShowMessage(InfoDisksText(env_.volumes), MessageIcon::None); }

private:
    std::string Drive() const {
        const std::string& text = env_.settings.Options2().Text("Drive1");
        return text.empty() ? std::string("/") : text;
    }
    void Print(const std::vector<std::string>& lines) {
        env_.settings.Options2().SetText("Picture1", Joined(lines, "\n"));
    }

    void DiskSpace() { Print(DiskSpaceLines(env_.volumes, Drive())); }
    void DiskSpaceEx() {
        env_.interaction.ShowMessage(DiskSpaceExText(env_.volumes, Drive()), MessageIcon::None);
    }
    void CheckDisk() { Print(CheckDiskLines(Drive())); }
    void DiskType() { Print({DiskTypeText(Drive())}); }
    void MemCheck() {
        const std::optional<MemoryStatus> status = ParseMemInfo(ReadText("/proc/meminfo"));
        Print(status ? MemCheckLines(*status) : std::vector<std::string>{"Mem Load  N/A"});
    }
    void Application() { Print(ApplicationLines()); }
    void NormalPriority() { Priority(PriorityClass::Normal); }
    void HighPriority() { Priority(PriorityClass::High); }
    void RealTimePriority() { Priority(PriorityClass::RealTime); }
    void Priority(PriorityClass priority) {
        const PriorityResult result = env_.setPriority(priority);
        Print(result.lines);
        if (!result.refusal.empty()) {
            env_.interaction.ShowMessage(result.refusal, MessageIcon::Exclamation);
        }
    }
    void ListPrinters() {
        std::vector<std::string> lines = {"Installed Printers:"};
        if (env_.printers) {
            for (const std::string& name : env_.printers()) {
                lines.push_back(name);
            }
        }
        Print(lines);
    }
    void KillTasks() {
        env_.interaction.ShowMessage(kKillTasksMessage, MessageIcon::None, [this] {
            Print({});
            Print(ReadTaskNames(env_.programFolder + "TaskKiller.set"));
        });
    }
    void FindDuplicatedColors() {
        const std::vector<std::string> lines = DuplicatedColours(env_.palette);
        env_.settings.Options2().SetText("DuplicatedColorsField", Joined(lines, "\r\n"));
        Print({NumberText(static_cast<double>(lines.size())) + " duplicated"});
    }
    void Confirm() {
        if (env_.updateForm) {
            env_.updateForm();
        }
        if (env_.restoreSpecGram) {
            env_.restoreSpecGram();
        }
    }

    SystemEnvironment env_;
};

} // namespace

void AttachSystemUtilities(SystemEnvironment environment) {
    SettingsModel& settings = environment.settings;
    MenuModel& menus = environment.menus;
    // The handlers share the commands; the models keep them for the program's lifetime.
    auto commands = std::make_shared<SystemCommands>(std::move(environment));
    commands->FillDrives();
    ControlModel& window = settings.Options2();
    for (const auto& [button, action] : SystemCommands::Buttons()) {
        window.DeclareAction(button);
    }
    window.AddActionHandler([commands](const std::string& name, ControlModel::Action action) {
        if (action == ControlModel::Action::Clicked) {
            commands->Click(name);
        }
    });
    settings.Options0().DeclareAction("ListFreespace");
    settings.Options0().AddActionHandler([commands](const std::string& name, ControlModel::Action action) {
        if (action == ControlModel::Action::Clicked && name == "ListFreespace") {
            commands->InfoDisks();
        }
    });
    menus.SetHandler("ListDisks", [commands] { commands->CheckDisks(); });
}

} // namespace ondrix
