#pragma once

#include <QWidget>
#include <memory>

#include "frontend/AppServices.h"

class QButtonGroup;
class QLabel;
class QListView;
class QRadioButton;

namespace kelvora {

class PriorityOptimizer;
class ProcessListDelegate;
class ProcessListModel;

// The CPU page's controls (inside page container x2): priority choices and the process list.
class CpuPage : public QWidget {
    Q_OBJECT
public:
    // `mainWindow` is the window whose painting a list rebuild suspends.
    CpuPage(AppServices& services, QWidget* mainWindow, QWidget* parent = nullptr);
    ~CpuPage() override;

    // Captions from the string table (Label15, OptionNonFocus, Label16, OptionFocus).
    void applyTexts();
    // The CPU page defaults of the main window's load: background normal, foreground high, tab stops, first list.
    void setDefaults();
    // The foreground check that GlobalTimer runs every twenty-first tick.
    void UpdateForegroundPriority();

    // The policy and its state (BackgroundClass, ForegroundClass, LastForegroundWindow, TotalRunningProcess).
    PriorityOptimizer& optimizer() { return *optimizer_; }
    // The process list, made when first asked for (the page's first show).
    QListView* processList();
    const ProcessListModel& processRows() const { return *rows_; }
    QLabel* processesLabel() const { return ProcessesLabel_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    class ListView;

    void OptionFocus_Click(int Index);
    void OptionNonFocus_Click(int Index);
    void SetListTabStops();
    // Selects an option from code; its click handler runs as for a user's click.
    static void selectOption(QButtonGroup* group, int index, void (CpuPage::*handler)(int), CpuPage* page);

    AppServices& services_;
    QWidget* mainWindow_;
    QLabel* Label15_ = nullptr;
    QLabel* Label16_ = nullptr;
    QLabel* ProcessesLabel_ = nullptr;
    QRadioButton* OptionNonFocus_[2] = {};
    QRadioButton* OptionFocus_[2] = {};
    QButtonGroup* nonFocusGroup_ = nullptr;
    QButtonGroup* focusGroup_ = nullptr;
    QListView* ProcessList_ = nullptr;
    ProcessListModel* rows_ = nullptr;
    ProcessListDelegate* listDelegate_ = nullptr;
    std::unique_ptr<ListView> listView_;
    std::unique_ptr<PriorityOptimizer> optimizer_;
};

} // namespace kelvora
