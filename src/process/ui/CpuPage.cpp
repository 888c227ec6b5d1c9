#include "process/ui/CpuPage.h"

#include <algorithm>

#include <QButtonGroup>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>

#include "app/ui/Accessibility.h"
#include "app/ui/QtText.h"
#include "process/PriorityOptimizer.h"
#include "process/ProcessListView.h"
#include "process/ui/ProcessListDelegate.h"
#include "settings/StringTable.h"

namespace kelvora {

// The list rebuild's view of the page: the list, the count line and the main window's painting.
class CpuPage::ListView : public ProcessListView {
public:
    ListView(QWidget* mainWindow, QListWidget* list, QLabel* countLabel, const StringTable& strings)
        : mainWindow_(mainWindow), list_(list), countLabel_(countLabel), strings_(strings) {}

    void suspendPainting() override {
        if (mainWindow_)
            mainWindow_->setUpdatesEnabled(false);
    }
    void resumePainting() override {
        if (mainWindow_)
            mainWindow_->setUpdatesEnabled(true);
    }
    void clearRows() override { list_->clear(); }
    void addRow(const std::string& text) override {
        list_->addItem(QString::fromUtf8(text.data(), qsizetype(text.size())));
    }
    int rowCount() const override { return list_->count(); }
    void setCountText(const std::string& text) override {
        countLabel_->setText(uiText(text));
        // The list is named by its count line, so the name follows the count.
        applyAccessibleNames(list_->parentWidget(), strings_);
    }

private:
    QWidget* mainWindow_;
    QListWidget* list_;
    QLabel* countLabel_;
    const StringTable& strings_;
};

namespace {

QLabel* makeLabel(QWidget* parent, const char* name, QRect geometry) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(geometry);
    return label;
}

QRadioButton* makeOption(QWidget* parent, QButtonGroup* group, const QString& name, int index, QRect geometry) {
    auto* option = new QRadioButton(parent);
    option->setObjectName(name);
    option->setGeometry(geometry);
    group->addButton(option, index);
    return option;
}

} // namespace

CpuPage::CpuPage(AppServices& services, QWidget* mainWindow, QWidget* parent)
    : QWidget(parent), services_(services), mainWindow_(mainWindow) {
    // Geometry in pixels: the page's twips divided by 15.
    Label15_ = makeLabel(this, "Label15", QRect(8, 32, 369, 17));
    nonFocusGroup_ = new QButtonGroup(this);
    OptionNonFocus_[0] = makeOption(this, nonFocusGroup_, QStringLiteral("OptionNonFocus0"), 0, QRect(16, 56, 89, 13));
    OptionNonFocus_[1] = makeOption(this, nonFocusGroup_, QStringLiteral("OptionNonFocus1"), 1, QRect(128, 56, 97, 13));
    Label16_ = makeLabel(this, "Label16", QRect(8, 80, 353, 17));
    focusGroup_ = new QButtonGroup(this);
    OptionFocus_[0] = makeOption(this, focusGroup_, QStringLiteral("OptionFocus0"), 0, QRect(16, 104, 105, 13));
    OptionFocus_[1] = makeOption(this, focusGroup_, QStringLiteral("OptionFocus1"), 1, QRect(128, 104, 97, 13));
    ProcessesLabel_ = makeLabel(this, "ProcessesLabel", QRect(8, 120, 361, 17));

    ProcessList_ = new QListWidget(this);
    ProcessList_->setObjectName(QStringLiteral("ProcessList"));
    ProcessList_->setGeometry(8, 144, 369, 109);
    ProcessList_->setSortingEnabled(false);
    ProcessList_->setUniformItemSizes(true); // one size for every row keeps a rebuild of many rows cheap
    listDelegate_ = new ProcessListDelegate(ProcessList_);
    ProcessList_->setItemDelegate(listDelegate_);

    listView_ = std::make_unique<ListView>(mainWindow_, ProcessList_, ProcessesLabel_, services_.strings);
    optimizer_ =
        std::make_unique<PriorityOptimizer>(services_.strings, services_.processes, services_.foreground, *listView_);

    // Choosing an option (by the user or from code) runs its click handler.
    connect(focusGroup_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            OptionFocus_Click(id);
    });
    connect(nonFocusGroup_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            OptionNonFocus_Click(id);
    });
}

CpuPage::~CpuPage() = default;

void CpuPage::applyTexts() {
    const StringTable& s = services_.strings;
    Label15_->setText(uiText(s[198]));
    OptionNonFocus_[0]->setText(uiText(s[199]));
    OptionNonFocus_[1]->setText(uiText(s[200]));
    Label16_->setText(uiText(s[201]));
    OptionFocus_[0]->setText(uiText(s[202]));
    OptionFocus_[1]->setText(uiText(s[199]));
}

void CpuPage::setDefaults() {
    selectOption(nonFocusGroup_, 0, &CpuPage::OptionNonFocus_Click, this);
    selectOption(focusGroup_, 0, &CpuPage::OptionFocus_Click, this);
    SetListTabStops();
    optimizer_->RefreshProcessList(true);
}

void CpuPage::selectOption(QButtonGroup* group, int index, void (CpuPage::*handler)(int), CpuPage* page) {
    QAbstractButton* option = group->button(index);
    // Selecting an unselected option runs its handler through the toggle; a selected one runs it here.
    if (option->isChecked())
        (page->*handler)(index);
    else
        option->setChecked(true);
}

void CpuPage::SetListTabStops() {
    listDelegate_->setTabOffset(ProcessListDelegate::dialogUnitsToPixels(ProcessList_->font(), 270));
    // The class column keeps room for the widest class name.
    const QFontMetrics metrics(ProcessList_->font());
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
