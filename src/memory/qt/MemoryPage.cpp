#include "memory/qt/MemoryPage.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "frontend/FixedTexts.h"
#include "frontend/qt/ControlPlacement.h"
#include "frontend/qt/QtText.h"
#include "memory/MainTicker.h"
#include "memory/MemoryPageControls.h"
#include "memory/qt/MemoryWidgets.h"
#include "platform/MemoryInfo.h"
#include "settings/StringTable.h"

namespace kelvora {
namespace {

template <typename W> W* place(QWidget* parent, const char* name) {
    return placeControl(new W(parent), memoryPageControls(), name);
}

QLabel* placeLabel(QWidget* parent, const char* name, const QString& caption) {
    auto* label = place<QLabel>(parent, name);
    label->setTextFormat(Qt::PlainText);
    label->setText(caption);
    return label;
}

} // namespace

MemoryPage::MemoryPage(AppServices& services, MainTicker& ticker, QWidget* mainWindow, QWidget* parent)
    : MemoryPage(services, ticker, createBlockAllocator(), nullptr, mainWindow, parent) {}

MemoryPage::MemoryPage(AppServices& services, MainTicker& ticker, BlockAllocator& allocator, QWidget* mainWindow,
                       QWidget* parent)
    : MemoryPage(services, ticker, nullptr, &allocator, mainWindow, parent) {}

MemoryPage::MemoryPage(AppServices& services, MainTicker& ticker, std::unique_ptr<BlockAllocator> owned,
                       BlockAllocator* borrowed, QWidget* mainWindow, QWidget* parent)
    : QWidget(parent), services_(services), ticker_(ticker), mainWindow_(mainWindow), ownedAllocator_(std::move(owned)),
      release_(*this, borrowed ? *borrowed : *ownedAllocator_, services.memory, ticker),
      panel_(*this, services.strings, services.memory, services.clock, release_) {
    buildControls();
    connectHandlers();
    paintHold_ = new PaintHold(mainWindow_ ? mainWindow_->window() : window(), this);
}

MemoryPage::~MemoryPage() {
    release_.releaseBlocks();
}

void MemoryPage::buildControls() {
    resize(385, 257);
    Label13_ = placeLabel(this, "Label13", QStringLiteral("Poziom optymalizacji:"));
    const std::array<const char*, 3> levelNames{"OptionLevel0", "OptionLevel1", "OptionLevel2"};
    const std::array<QString, 3> levelCaptions{QStringLiteral("Szybki"), QStringLiteral("Normalny"),
                                               QStringLiteral("Najlepszy")};
    levelGroup_ = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        auto& option = OptionLevel_[static_cast<std::size_t>(i)];
        option = place<QRadioButton>(this, levelNames[static_cast<std::size_t>(i)]);
        option->setText(levelCaptions[static_cast<std::size_t>(i)]);
        levelGroup_->addButton(option, i);
    }
    Command3_ = place<QPushButton>(this, "Command3");
    Command3_->setText(QStringLiteral("Optymalizuj!"));
    GaugePic_ = place<GaugeFrame>(this, "GaugePic");
    GaugePic_->empty();

    Label14_ = placeLabel(this, "Label14", QStringLiteral("Optymalizuj pamięć:"));
    CheckOptionRAM_[0] = place<QCheckBox>(this, "CheckOptionRAM0");
    CheckOptionRAM_[0]->setText(QStringLiteral("co:"));
    TimeCombo_ = place<QComboBox>(this, "TimeCombo");
    TimeCombo_->setEditable(false);
    CheckOptionRAM_[1] = place<QCheckBox>(this, "CheckOptionRAM1");
    CheckOptionRAM_[1]->setText(QStringLiteral("Kiedy wolna pamięć spadnie do:"));

    const std::array<const char*, 3> percentNames{"OptionRAMPercent0", "OptionRAMPercent1", "OptionRAMPercent2"};
    percentGroup_ = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        auto& option = OptionRAMPercent_[static_cast<std::size_t>(i)];
        option = place<QRadioButton>(this, percentNames[static_cast<std::size_t>(i)]);
        option->setText(QString::fromStdString(fixedtext::thresholdCaption(i)));
        percentGroup_->addButton(option, i);
    }
    NextOptimizeLabel_ = placeLabel(this, "NextOptimizeLabel", QString());
    InfoPic_ = place<StatusStrip>(this, "InfoPic");
}

void MemoryPage::connectHandlers() {
    connect(Command3_, &QPushButton::clicked, this, [this] { panel_.Command3_Click(); });
    connect(levelGroup_, &QButtonGroup::idClicked, this, [this](int index) { panel_.selectOptionLevel(index); });
    connect(percentGroup_, &QButtonGroup::idClicked, this, [this](int index) { panel_.selectOptionRAMPercent(index); });
    for (int i = 0; i < 2; ++i) {
        connect(CheckOptionRAM_[static_cast<std::size_t>(i)], &QCheckBox::clicked, this,
                [this, i](bool ticked) { panel_.setCheckOptionRAM(i, ticked); });
    }
    connect(TimeCombo_, &QComboBox::activated, this, [this](int index) { panel_.selectTimeItem(index); });
}

void MemoryPage::applyTexts() {
    for (QWidget* control :
         std::initializer_list<QWidget*>{Label13_, OptionLevel_[0], OptionLevel_[1], OptionLevel_[2], Label14_,
                                         CheckOptionRAM_[0], CheckOptionRAM_[1], Command3_})
        applyCaption(control, services_.strings, memoryPageControls());
}

void MemoryPage::setDefaults() {
    panel_.setDefaults();
    InfoPic_->setForeColour(GaugeFrame::kBarColour);
}

void MemoryPage::RefreshMemoryPanel() {
    panel_.RefreshMemoryPanel();
}

void MemoryPage::releaseBlocks() {
    release_.releaseBlocks();
}

void MemoryPage::setGaugeScale(std::int32_t units) {
    GaugePic_->setScale(units);
}

void MemoryPage::setGaugeBar(std::int32_t top, std::int32_t height) {
    GaugePic_->setBar(top, height);
}

void MemoryPage::emptyGauge() {
    GaugePic_->empty();
}

void MemoryPage::suspendPainting() {
    paintHold_->hold();
}

void MemoryPage::resumePainting() {
    paintHold_->release();
}

bool MemoryPage::paintingHeld() const {
    return paintHold_->held();
}

void MemoryPage::yieldToEvents() {
    QCoreApplication::processEvents();
}

void MemoryPage::beep() {
    QApplication::beep();
}

void MemoryPage::drawStatusLine(const std::string& line) {
    InfoPic_->setLine(uiText(line));
}

void MemoryPage::setNextOptimizeText(const std::string& text) {
    // The label is one line high, so the minutes are shown on the same line as the words before them.
    QString shown = uiText(text);
    shown.remove(QLatin1Char('\n'));
    NextOptimizeLabel_->setText(shown);
}

void MemoryPage::setTimeItems(const std::array<std::string, 3>& items) {
    TimeCombo_->clear();
    for (const std::string& item : items)
        TimeCombo_->addItem(uiText(item));
    TimeCombo_->setCurrentIndex(-1);
}

void MemoryPage::showCheckOptionRAM(int index, bool ticked) {
    if (index >= 0 && index < 2)
        CheckOptionRAM_[static_cast<std::size_t>(index)]->setChecked(ticked);
}

void MemoryPage::showOptionRAMPercent(int index) {
    if (index >= 0 && index < 3) {
        OptionRAMPercent_[static_cast<std::size_t>(index)]->setChecked(true);
        return;
    }
    // An exclusive group refuses to have no choice, so it is relaxed while every option is cleared.
    percentGroup_->setExclusive(false);
    for (QRadioButton* option : OptionRAMPercent_)
        option->setChecked(false);
    percentGroup_->setExclusive(true);
}

void MemoryPage::showOptionLevel(int index) {
    if (index >= 0 && index < 3)
        OptionLevel_[static_cast<std::size_t>(index)]->setChecked(true);
}

void MemoryPage::showTimeItem(int index) {
    TimeCombo_->setCurrentIndex(index);
}

} // namespace kelvora
