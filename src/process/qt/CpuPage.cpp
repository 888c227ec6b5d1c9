#include "process/qt/CpuPage.h"

#include <algorithm>

#include <QButtonGroup>
#include <QLabel>
#include <QListView>
#include <QRadioButton>

#include "frontend/qt/Accessibility.h"
#include "frontend/qt/ControlPlacement.h"
#include "frontend/qt/QtText.h"
#include "process/CpuPageControls.h"
#include "process/PriorityOptimizer.h"
#include "process/ProcessListView.h"
#include "process/qt/ProcessListDelegate.h"
#include "process/qt/ProcessListModel.h"
#include "settings/StringTable.h"

namespace kelvora {

// The list rebuild's view of the page: the list, the count line and the main window's painting.
class CpuPage::ListView : public ProcessListView {
public:
    ListView(QWidget* mainWindow, QWidget* page, ProcessListModel* rows, QLabel* countLabel,
             const StringTable& strings)
        : mainWindow_(mainWindow), page_(page), rows_(rows), countLabel_(countLabel), strings_(strings) {}

    void suspendPainting() override {
        if (mainWindow_)
            mainWindow_->setUpdatesEnabled(false);
    }
    void resumePainting() override {
        rows_->endRebuild(); // the list hears of a rebuild once, with every row in place
        if (mainWindow_)
            mainWindow_->setUpdatesEnabled(true);
    }
    void clearRows() override { rows_->beginRebuild(); }
    void addRow(const std::string& text) override { rows_->append(text); }
    void replaceRow(int index, const std::string& text) override { rows_->replace(index, text); }
    int rowCount() const override { return rows_->rowCount(); }
    void setCountText(const std::string& text) override {
        countLabel_->setText(uiText(text));
        // The list is named by its count line, so the name follows the count.
        applyAccessibleNames(page_, strings_);
    }

private:
    QWidget* mainWindow_;
    QWidget* page_;
    ProcessListModel* rows_;
    QLabel* countLabel_;
    const StringTable& strings_;
};

namespace {

QLabel* makeLabel(QWidget* parent, const char* name) {
    auto* label = placeControl(new QLabel(parent), cpuPageControls(), name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QRadioButton* makeOption(QWidget* parent, QButtonGroup* group, const char* name, int index) {
    auto* option = placeControl(new QRadioButton(parent), cpuPageControls(), name);
    group->addButton(option, index);
    return option;
}

} // namespace

CpuPage::CpuPage(AppServices& services, QWidget* mainWindow, QWidget* parent)
    : QWidget(parent), services_(services), mainWindow_(mainWindow) {
    Label15_ = makeLabel(this, "Label15");
    nonFocusGroup_ = new QButtonGroup(this);
    OptionNonFocus_[0] = makeOption(this, nonFocusGroup_, "OptionNonFocus0", 0);
    OptionNonFocus_[1] = makeOption(this, nonFocusGroup_, "OptionNonFocus1", 1);
    Label16_ = makeLabel(this, "Label16");
    focusGroup_ = new QButtonGroup(this);
    OptionFocus_[0] = makeOption(this, focusGroup_, "OptionFocus0", 0);
    OptionFocus_[1] = makeOption(this, focusGroup_, "OptionFocus1", 1);
    ProcessesLabel_ = makeLabel(this, "ProcessesLabel");

    // The list's rows are kept from the start; the list itself is made when the page is first shown.
    rows_ = new ProcessListModel(this);
    listDelegate_ = new ProcessListDelegate(this);

    listView_ = std::make_unique<ListView>(mainWindow_, this, rows_, ProcessesLabel_, services_.strings);
    optimizer_ =
        std::make_unique<PriorityOptimizer>(services_.strings, services_.processes, services_.foreground, *listView_);

    // Every click applies the policy, also on the option already selected; selectOption does the same from code.
    connect(focusGroup_, &QButtonGroup::idClicked, this, &CpuPage::OptionFocus_Click);
    connect(nonFocusGroup_, &QButtonGroup::idClicked, this, &CpuPage::OptionNonFocus_Click);
}

CpuPage::~CpuPage() = default;

QListView* CpuPage::processList() {
    if (ProcessList_)
        return ProcessList_;
    // A list view costs most of a megabyte of code and data before it shows a row, so a page never opened has none.
    ProcessList_ = placeControl(new QListView(this), cpuPageControls(), "ProcessList");
    ProcessList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ProcessList_->setUniformItemSizes(true); // one size for every row keeps a rebuild of many rows cheap
    ProcessList_->setItemDelegate(listDelegate_);
    ProcessList_->setModel(rows_);
    QWidget::setTabOrder(OptionFocus_[1], ProcessList_);
    applyAccessibleNames(this, services_.strings);
    if (isVisible())
        ProcessList_->show();
    return ProcessList_;
}

void CpuPage::showEvent(QShowEvent* event) {
    processList();
    QWidget::showEvent(event);
}

void CpuPage::applyTexts() {
    for (QWidget* control : std::initializer_list<QWidget*>{Label15_, OptionNonFocus_[0], OptionNonFocus_[1], Label16_,
                                                            OptionFocus_[0], OptionFocus_[1]})
        applyCaption(control, services_.strings, cpuPageControls());
}

void CpuPage::setDefaults() {
    selectOption(nonFocusGroup_, 0, &CpuPage::OptionNonFocus_Click, this);
    selectOption(focusGroup_, 0, &CpuPage::OptionFocus_Click, this);
    SetListTabStops();
    optimizer_->RefreshProcessList(true);
}

void CpuPage::selectOption(QButtonGroup* group, int index, void (CpuPage::*handler)(int), CpuPage* page) {
    group->button(index)->setChecked(true);
    (page->*handler)(index);
}

void CpuPage::SetListTabStops() {
    const QFont listFont = controlFont(findControl(cpuPageControls(), "ProcessList"));
    listDelegate_->setTabOffset(ProcessListDelegate::dialogUnitsToPixels(listFont, 270));
    // The class column keeps room for the widest class name.
    const QFontMetrics metrics(listFont);
    int widest = 0;
    for (std::uint32_t priorityClass : {IDLE_PRIORITY_CLASS, BELOW_NORMAL_PRIORITY_CLASS, NORMAL_PRIORITY_CLASS,
                                        ABOVE_NORMAL_PRIORITY_CLASS, HIGH_PRIORITY_CLASS, REALTIME_PRIORITY_CLASS})
        widest =
            std::max(widest, metrics.horizontalAdvance(uiText(PriorityClassName(services_.strings, priorityClass))));
    listDelegate_->setSecondColumnWidth(widest);
}

void CpuPage::UpdateForegroundPriority() {
    optimizer_->UpdateForegroundPriority();
}

void CpuPage::OptionFocus_Click(int Index) {
    optimizer_->OptionFocus_Click(Index);
}

void CpuPage::OptionNonFocus_Click(int Index) {
    optimizer_->OptionNonFocus_Click(Index);
}

} // namespace kelvora
