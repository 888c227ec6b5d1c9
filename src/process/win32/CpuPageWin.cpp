#include "process/win32/CpuPageWin.h"

#include "process/CpuPageControls.h"
#include "settings/StringTable.h"

namespace kelvora {

namespace {
constexpr int kFirstClassSlot = 212; // the names of the priority classes, idle to real-time
constexpr int kLastClassSlot = 217;
} // namespace

CpuPageWin::CpuPageWin(AppServices& services)
    : services_(services), optimizer_(services.strings, services.processes, services.foreground, *this) {}

CpuPageWin::~CpuPageWin() = default;

bool CpuPageWin::create(HWND parent, const ControlSpec& container) {
    if (!window_.createPage(parent, container, services_.strings))
        return false;
    window_.addControls(cpuPageControls(), services_.strings);
    auto option = [this](const char* name) { return &window_.get<win32::OptionButton>(name); };
    nonFocus_.emplace(std::vector{option("OptionNonFocus0"), option("OptionNonFocus1")});
    focus_.emplace(std::vector{option("OptionFocus0"), option("OptionFocus1")});
    // Every click applies the policy, also on the option already chosen.
    nonFocus_->onSelected = [this](int index) {
        nonFocus_->select(index);
        optimizer_.OptionNonFocus_Click(index);
    };
    focus_->onSelected = [this](int index) {
        focus_->select(index);
        optimizer_.OptionFocus_Click(index);
    };
    list_ = &window_.get<win32::ColumnList>("ProcessList");
    // The class column is as wide as the longest class name of the language.
    std::vector<std::string> classNames;
    for (int slot = kFirstClassSlot; slot <= kLastClassSlot; ++slot)
        classNames.push_back(services_.strings[slot]);
    list_->setLastColumnTexts(classNames);
    count_ = &window_.get<win32::Label>("ProcessesLabel");
    return true;
}

void CpuPageWin::setDefaults() {
    nonFocus_->select(0);
    optimizer_.OptionNonFocus_Click(0);
    focus_->select(0);
    optimizer_.OptionFocus_Click(0);
    optimizer_.RefreshProcessList(true);
}

void CpuPageWin::suspendPainting() {
    list_->suspendPainting();
}

void CpuPageWin::resumePainting() {
    list_->resumePainting();
}

void CpuPageWin::clearRows() {
    list_->clear();
}

void CpuPageWin::addRow(const std::string& text) {
    list_->addRow(text);
}

void CpuPageWin::replaceRow(int index, const std::string& text) {
    list_->replaceRow(index, text);
}

int CpuPageWin::rowCount() const {
    return list_->rowCount();
}

void CpuPageWin::setCountText(const std::string& text) {
    count_->setText(text);
    // The list is named by its count line.
    SetWindowTextW(list_->handle(), win32::wide(text).c_str());
}

} // namespace kelvora
