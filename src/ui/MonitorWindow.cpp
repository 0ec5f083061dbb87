#include "ui/MonitorWindow.hpp"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <QSvgRenderer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "midi/MIDIManager.hpp"
#include "ui/AboutDialog.hpp"
#include "ui/AccessibleViews.hpp"
#include "ui/FrameCoalescer.hpp"
#include "ui/MessageListModel.hpp"
#include "ui/MessageListView.hpp"
#include "ui/MessageRowDelegate.hpp"
#include "ui/NarrationLevelSelector.hpp"
#include "ui/QtText.hpp"
#include "ui/SheetStyle.hpp"
#include "ui/TextBlock.hpp"
#include "ui/TypeColors.hpp"

namespace umbrascope {

namespace {

// Sliders read as percentages by screen readers.
constexpr int sliderSteps = 100;
constexpr int legendColumnMinimum = 190;
constexpr int legendColumnSpacing = 12;
constexpr int badgeInset = 10;

QFont sizedFont(const QFont& base, double delta, bool bold = false) {
    QFont font = base;
    font.setPointSizeF(std::max(7.0, base.pointSizeF() + delta));
    font.setBold(bold);
    return font;
}

QFont captionFont(const QFont& base) {
    return sizedFont(base, -1);
}

QFont smallCaptionFont(const QFont& base) {
    return sizedFont(base, -2);
}

// Outside a dialog Qt presses a button only by Space; screen reader users press Enter as well.
// An auto-default button takes Enter itself, and with no dialog around none becomes the default.
void pressOnEnter(QPushButton* button) {
    button->setAutoDefault(true);
}

void describe(QWidget* widget, const QString& hint) {
    widget->setAccessibleDescription(hint);
}

// The bottom bar: the logo, painted so that screen readers never meet it, between the guide
// button and a small caption.
class BottomBar final : public QWidget {
public:
    explicit BottomBar(QWidget* parent)
        : QWidget(parent), logo_(QString(AboutDialog::logoResource)) {
        setFixedHeight(60);
        setAutoFillBackground(true);
        setBackgroundRole(QPalette::Window);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (!logo_.isValid()) return;
        QPainter painter(this);
        const QSizeF size =
            QSizeF(logo_.defaultSize()).scaled(QSizeF(200, 46), Qt::KeepAspectRatio);
        logo_.render(&painter, QRectF(QPointF((width() - size.width()) / 2.0,
                                              (height() - size.height()) / 2.0),
                                      size));
    }

private:
    QSvgRenderer logo_;
};

} // namespace

MonitorWindow::MonitorWindow(QWidget* parent) : QMainWindow(parent) {
    installAccessibleViews();
    setWindowTitle(QStringLiteral("Umbrascope"));
    setWindowIcon(AboutDialog::logoIcon());
    setMinimumSize(780, 460);
    resize(1000, 700);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildHeader());
    layout->addWidget(sheet::divider(central));
    layout->addWidget(buildLegend());
    layout->addWidget(sheet::divider(central));
    layout->addWidget(buildFilters());
    layout->addWidget(sheet::divider(central));
    layout->addWidget(buildSpeechRow());
    layout->addWidget(sheet::divider(central));
    layout->addWidget(buildColumnHeader());
    layout->addWidget(sheet::divider(central));
    layout->addWidget(buildListArea(), 1);
    layout->addWidget(buildNotice());
    layout->addWidget(sheet::divider(central));
    layout->addWidget(buildBottomBar());
    setCentralWidget(central);

    buildEditMenu();
    buildViewMenu();

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    aboutAction_ = help->addAction(QStringLiteral("About Umbrascope"));
    aboutAction_->setMenuRole(QAction::AboutRole);
    connect(aboutAction_, &QAction::triggered, this, &MonitorWindow::showAbout);

    countUpdate_ = new FrameCoalescer([this] { refreshCount(); }, this);
    refreshTitleBlock();
    refreshCount();
    applyColors();
    setIdle(true);
    setBufferFull(false);
}

MonitorWindow::~MonitorWindow() {
    KeyRouter::removeHandler(this);
}

QWidget* MonitorWindow::buildHeader() {
    auto* header = new QWidget(this);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(10, 8, 10, 8);
    row->setSpacing(10);

    titleBlock_ = new TextBlock(header);
    titleBlock_->setObjectName(QStringLiteral("titleBlock"));
    titleBlock_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    row->addWidget(titleBlock_, 1);

    countLabel_ = new QLabel(header);
    countLabel_->setObjectName(QStringLiteral("messageCount"));
    makeQuiet(countLabel_);
    countLabel_->setFont(captionFont(font()));
    row->addWidget(countLabel_);

    auto* bufferLabel = new QLabel(QStringLiteral("Buffer"), header);
    bufferLabel->setFont(captionFont(font()));
    bufferPicker_ = new QComboBox(header);
    bufferPicker_->setObjectName(QStringLiteral("bufferPicker"));
    for (const std::int64_t size : MIDIManager::maxMessagesChoices)
        bufferPicker_->addItem(QString::number(size), static_cast<int>(size));
    bufferPicker_->setFixedWidth(110);
    bufferPicker_->setAccessibleName(QStringLiteral("Message buffer size"));
    describe(bufferPicker_,
             QStringLiteral("How many messages are kept before the oldest are discarded"));
    // Qt's combo box on Linux gives its current choice as its name and its label through the
    // buddy relation, so the label carries the name a screen reader reads.
    bufferLabel->setBuddy(bufferPicker_);
    bufferLabel->setAccessibleName(QStringLiteral("Message buffer size"));
    connect(bufferPicker_, &QComboBox::activated, this,
            [this](int index) { emit bufferSizeChosen(bufferPicker_->itemData(index).toInt()); });
    row->addWidget(bufferLabel);
    row->addWidget(bufferPicker_);

    devicesButton_ = new QPushButton(QStringLiteral("Devices"), header);
    describe(devicesButton_, QStringLiteral("Keyboard shortcut D. Choose which MIDI sources are "
                                            "received, and which voice speaks each"));
    connect(devicesButton_, &QPushButton::clicked, this, &MonitorWindow::devicesClicked);
    exportButton_ = new QPushButton(QStringLiteral("Export CSV"), header);
    describe(exportButton_,
             QStringLiteral("Keyboard shortcut E. Saves every message currently in the buffer as a "
                            "CSV file — source device, raw hex, TTS Short text, and TTS Verbose "
                            "text"));
    connect(exportButton_, &QPushButton::clicked, this, &MonitorWindow::exportClicked);
    clearButton_ = new QPushButton(QStringLiteral("Clear"), header);
    describe(clearButton_, QStringLiteral("Removes all messages from the list"));
    connect(clearButton_, &QPushButton::clicked, this, &MonitorWindow::clearClicked);
    pauseButton_ = new QPushButton(QStringLiteral("Pause"), header);
    pauseButton_->setObjectName(QStringLiteral("pauseButton"));
    describe(pauseButton_,
             QStringLiteral("Keyboard shortcut P. Holds the list, the speech and the ticks still; "
                            "messages that arrive meanwhile are kept and counted"));
    connect(pauseButton_, &QPushButton::clicked, this, &MonitorWindow::pauseClicked);
    for (QPushButton* button : {pauseButton_, devicesButton_, exportButton_, clearButton_}) {
        pressOnEnter(button);
        row->addWidget(button);
    }
    return header;
}

QWidget* MonitorWindow::buildLegend() {
    legend_ = new QWidget(this);
    auto* grid = new QGridLayout(legend_);
    grid->setContentsMargins(10, 6, 10, 6);
    grid->setHorizontalSpacing(legendColumnSpacing);
    grid->setVerticalSpacing(8);
    for (std::size_t i = 0; i < legendOrder.size(); ++i) {
        const UMPMessageType type = legendOrder[i];
        auto* box = new QCheckBox(toQString(displayName(type)), legend_);
        box->setFont(captionFont(font()));
        box->setChecked(true);
        describe(box, QStringLiteral("Keyboard shortcut %1").arg(i + 1));
        connect(box, &QCheckBox::toggled, this,
                [this, type](bool checked) { emit typeShownToggled(type, checked); });
        legendBoxes_[i] = box;
    }
    layoutLegend();
    return legend_;
}

void MonitorWindow::layoutLegend() {
    auto* grid = static_cast<QGridLayout*>(legend_->layout());
    const int available = std::max(width() - 20, legendColumnMinimum);
    const int columns =
        std::clamp((available + legendColumnSpacing) / (legendColumnMinimum + legendColumnSpacing),
                   1, static_cast<int>(legendOrder.size()));
    if (grid->count() > 0 && grid->columnCount() == columns) return;
    for (QCheckBox* box : legendBoxes_)
        grid->removeWidget(box);
    for (int c = 0; c < grid->columnCount(); ++c)
        grid->setColumnStretch(c, 0);
    for (std::size_t i = 0; i < legendBoxes_.size(); ++i) {
        const int index = static_cast<int>(i);
        grid->addWidget(legendBoxes_[i], index / columns, index % columns, Qt::AlignLeft);
    }
    for (int c = 0; c < columns; ++c) {
        grid->setColumnMinimumWidth(c, legendColumnMinimum);
        grid->setColumnStretch(c, 1);
    }
}

void MonitorWindow::addSwitches(SwitchRow row, QWidget* parent, QBoxLayout* layout) {
    for (const SettingSwitchEntry& entry : settingSwitches) {
        if (entry.row != row) continue;
        auto* box = new QCheckBox(toQString(entry.label), parent);
        box->setFont(captionFont(font()));
        describe(box, QString::fromStdString(switchHint(entry)));
        if (!entry.tooltip.empty()) box->setToolTip(toQString(entry.tooltip));
        const SettingSwitch setting = entry.setting;
        connect(box, &QCheckBox::toggled, this,
                [this, setting](bool on) { emit switchToggled(setting, on); });
        switchBoxes_[static_cast<std::size_t>(setting)] = box;
        layout->addWidget(box);
    }
}

QWidget* MonitorWindow::buildFilters() {
    auto* filters = new QWidget(this);
    auto* row = new QHBoxLayout(filters);
    row->setContentsMargins(10, 6, 10, 6);
    row->setSpacing(24);
    addSwitches(SwitchRow::filters, filters, row);
    addAddressPickers(filters, row);
    row->addStretch(1);
    return filters;
}

// The arrows choose within a focused picker, so its key is its label's Alt mnemonic.
void MonitorWindow::addAddressPickers(QWidget* parent, QBoxLayout* layout) {
    static constexpr std::array<const char*, addressFieldCount> objectNames{"channelPicker",
                                                                            "groupPicker"};
    for (const AddressChoiceEntry& entry : addressChoices) {
        const AddressField field = entry.field;
        auto* pair = new QHBoxLayout;
        pair->setSpacing(6);
        auto* label = new QLabel(QStringLiteral("&") + toQString(entry.each), parent);
        label->setFont(captionFont(font()));
        auto* picker = new QComboBox(parent);
        picker->setObjectName(QString::fromUtf8(objectNames[static_cast<std::size_t>(field)]));
        picker->setFont(captionFont(font()));
        picker->addItem(QString::fromStdString(addressChoiceText(field, std::nullopt)), -1);
        for (int value = 0; value < addressValueCount; ++value)
            picker->addItem(
                QString::fromStdString(addressChoiceText(field, static_cast<std::uint8_t>(value))),
                value);
        picker->setAccessibleName(toQString(entry.name));
        describe(picker, QString::fromStdString(addressChoiceHint(field)));
        // As for the buffer picker: the label carries the name a screen reader reads.
        label->setBuddy(picker);
        label->setAccessibleName(toQString(entry.name));
        connect(picker, &QComboBox::activated, this, [this, field, picker](int index) {
            emit addressChosen(field, picker->itemData(index).toInt());
        });
        addressPickers_[static_cast<std::size_t>(field)] = picker;
        pair->addWidget(label);
        pair->addWidget(picker);
        layout->addLayout(pair);
    }
}

void MonitorWindow::buildEditMenu() {
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    for (const CopyCommand& command : copyCommands) {
        QAction* action = edit->addAction(toQString(command.menuText));
        action->setShortcut(QKeySequence(toQString(command.shortcut)));
        action->setStatusTip(toQString(command.hint));
        action->setToolTip(toQString(command.hint));
        const CopyKind kind = command.kind;
        connect(action, &QAction::triggered, this, [this, kind] { emit copyRequested(kind); });
    }
}

QWidget* MonitorWindow::buildSpeechRow() {
    auto* speech = new QWidget(this);
    auto* row = new QHBoxLayout(speech);
    row->setContentsMargins(10, 6, 10, 6);
    row->setSpacing(20);
    const QFont caption = captionFont(font());

    narration_ = new NarrationLevelSelector(speech);
    narration_->setFont(caption);
    connect(narration_, &NarrationLevelSelector::levelChosen, this,
            &MonitorWindow::narrationLevelChosen);
    row->addWidget(narration_);

    addSwitches(SwitchRow::speech, speech, row);

    const auto addSlider = [&](const QString& low, const QString& high, int width,
                               const QString& name, const QString& hint) {
        auto* group = new QHBoxLayout;
        group->setSpacing(4);
        auto* lowLabel = new QLabel(low, speech);
        auto* highLabel = new QLabel(high, speech);
        auto* slider = new QSlider(Qt::Horizontal, speech);
        slider->setRange(0, sliderSteps);
        slider->setFixedWidth(width);
        slider->setAccessibleName(name);
        describe(slider, hint);
        for (QLabel* label : {lowLabel, highLabel}) {
            label->setFont(smallCaptionFont(font()));
            scaleLabels_.push_back(label);
        }
        group->addWidget(lowLabel);
        group->addWidget(slider);
        group->addWidget(highLabel);
        row->addLayout(group);
        return slider;
    };
    rateSlider_ = addSlider(QStringLiteral("slow"), QStringLiteral("fast"), 110,
                            QStringLiteral("Speech rate"),
                            QStringLiteral("Keyboard shortcuts: [ for slower, ] for faster"));
    volumeSlider_ = addSlider(
        QStringLiteral("soft"), QStringLiteral("loud"), 100, QStringLiteral("Speech volume"),
        QStringLiteral("Keyboard shortcuts: = louder, - softer, wherever the focus is; up "
                       "arrow louder, down arrow softer where the focus does not use the arrows"));
    connect(rateSlider_, &QSlider::valueChanged, this, [this](int value) {
        emit rateMoved(rateMinimum_ + (rateMaximum_ - rateMinimum_) * static_cast<float>(value) /
                                          static_cast<float>(sliderSteps));
    });
    connect(volumeSlider_, &QSlider::valueChanged, this, [this](int value) {
        emit volumeMoved(static_cast<float>(value) / static_cast<float>(sliderSteps));
    });
    row->addStretch(1);
    return speech;
}

QWidget* MonitorWindow::buildColumnHeader() {
    auto* header = new QWidget(this);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(MessageRowDelegate::horizontalPadding, 4, 8, 4);
    row->setSpacing(0);
    const QFont font = sizedFont(this->font(), -1, true);
    const auto add = [&](const QString& text, int width) {
        auto* label = new QLabel(text, header);
        label->setFont(font);
        if (width > 0) label->setFixedWidth(width);
        row->addWidget(label, width > 0 ? 0 : 1);
        return label;
    };
    add(QStringLiteral("More"),
        MessageRowDelegate::moreColumnWidth - MessageRowDelegate::horizontalPadding);
    add(QStringLiteral("Hex Data"),
        MessageRowDelegate::hexColumnWidth + MessageRowDelegate::columnSpacing);
    add(QStringLiteral("Description"), 0);
    add(QStringLiteral("Time"), MessageRowDelegate::timeColumnWidth)
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return header;
}

QWidget* MonitorWindow::buildListArea() {
    listArea_ = new QWidget(this);
    auto* layout = new QVBoxLayout(listArea_);
    layout->setContentsMargins(0, 0, 0, 0);
    list_ = new MessageListView(listArea_);
    list_->setObjectName(QStringLiteral("messageList"));
    list_->setAccessibleName(QStringLiteral("Messages"));
    layout->addWidget(list_);
    connect(list_, &MessageListView::moreRequested, this, &MonitorWindow::moreRequested);

    const QFont titleFont = sizedFont(font(), -1, true);
    const QFont subtitleFont = smallCaptionFont(font());
    const auto badge = [&](const char* objectName, const QString& title, const QString& subtitle) {
        auto* block = new TextBlock(listArea_);
        block->setObjectName(QString::fromUtf8(objectName));
        block->setBadgeStyle(true);
        block->setCentered(true);
        block->setLines({{{{title, titleFont, QColor()}}}, {{{subtitle, subtitleFont, QColor()}}}});
        block->raise();
        return block;
    };
    idleBadge_ = badge("idleBadge", QStringLiteral("Idle"), QStringLiteral("No messages received"));
    fullBadge_ = badge("bufferFullBadge", QStringLiteral("Buffer Full"),
                       QStringLiteral("Oldest messages are being discarded"));
    listArea_->installEventFilter(this);
    return listArea_;
}

// A strip above the bottom bar, hidden while all is well.
QWidget* MonitorWindow::buildNotice() {
    notice_ = new QLabel(this);
    notice_->setObjectName(QStringLiteral("notice"));
    notice_->setTextFormat(Qt::PlainText);
    notice_->setWordWrap(true);
    notice_->setContentsMargins(10, 6, 10, 6);
    notice_->setAutoFillBackground(true);
    notice_->setBackgroundRole(QPalette::ToolTipBase);
    notice_->setForegroundRole(QPalette::ToolTipText);
    describe(notice_, QStringLiteral("The pause, and any problem the monitor ran into"));
    notice_->hide();
    return notice_;
}

QWidget* MonitorWindow::buildBottomBar() {
    auto* bar = new BottomBar(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(10, 0, 10, 0);
    guideButton_ = new QPushButton(QStringLiteral("User Guide"), bar);
    QFont small = font();
    small.setPointSize(10);
    guideButton_->setFont(small);
    pressOnEnter(guideButton_);
    describe(guideButton_,
             QStringLiteral("Opens the User Guide window. Press G anytime to read it aloud."));
    connect(guideButton_, &QPushButton::clicked, this, &MonitorWindow::userGuideClicked);
    row->addWidget(guideButton_);
    row->addStretch(1);
    auto* caption = new QLabel(QStringLiteral("Universal MIDI Packet monitor"), bar);
    caption->setFont(small);
    caption->setObjectName(QStringLiteral("bottomCaption"));
    row->addWidget(caption);
    return bar;
}

void MonitorWindow::buildViewMenu() {
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    auto* group = new QActionGroup(view);
    for (std::size_t i = 0; i < timeStyles.size(); ++i) {
        const TimeStyleEntry& entry = timeStyles[i];
        QAction* action = view->addAction(toQString(entry.label));
        action->setCheckable(true);
        action->setChecked(entry.style == TimeStyle::sinceStart);
        action->setStatusTip(toQString(entry.hint));
        action->setToolTip(toQString(entry.hint));
        group->addAction(action);
        const TimeStyle style = entry.style;
        connect(action, &QAction::triggered, this, [this, style] { emit timeStyleChosen(style); });
        timeStyleActions_[i] = action;
    }
}

void MonitorWindow::refreshTitleBlock() {
    const QFont base = font();
    QFont headline = sizedFont(base, 2, true);
    const QString connected =
        sources_.isEmpty() ? noSourcesText_
                           : QStringLiteral("Connected: ") + sources_.join(QStringLiteral(", "));
    const QColor secondary = currentTypePalette().secondaryText;
    titleBlock_->setLines({
        {{{QStringLiteral("Umbrascope"), headline, QColor()},
          {versionText_, smallCaptionFont(base), secondary}}},
        {{{QStringLiteral("Showing Universal MIDI Packet Data"), smallCaptionFont(base),
           secondary}}},
        {{{connected, captionFont(base), secondary}}, true},
    });
}

void MonitorWindow::refreshCount() {
    QString text = QStringLiteral("%1 messages").arg(count_);
    if (!pausedText_.isEmpty()) text += QStringLiteral(" · ") + pausedText_;
    countLabel_->setText(text);
    refreshNotice();
}

void MonitorWindow::refreshNotice() {
    const QString text = pausedText_.isEmpty() || noticeText_.isEmpty()
                             ? pausedText_ + noticeText_
                             : pausedText_ + QStringLiteral("; ") + noticeText_;
    if (text == notice_->text()) return;
    notice_->setText(text);
    notice_->setVisible(!text.isEmpty());
}

void MonitorWindow::applyColors() {
    const TypePalette& colors = currentTypePalette();
    for (std::size_t i = 0; i < legendOrder.size(); ++i) {
        QPalette palette = legendBoxes_[i]->palette();
        palette.setColor(QPalette::WindowText, typeColor(legendOrder[i], colors));
        legendBoxes_[i]->setPalette(palette);
    }
    // Secondary text, never the placeholder colour: that one is about 3:1 on the window.
    for (QLabel* label : scaleLabels_) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, colors.secondaryText);
        label->setPalette(palette);
    }
    QPalette countPalette = countLabel_->palette();
    countPalette.setColor(QPalette::WindowText, colors.secondaryText);
    countLabel_->setPalette(countPalette);
    QPalette listPalette = list_->palette();
    listPalette.setColor(QPalette::Base, colors.listBackground);
    list_->setPalette(listPalette);
    for (TextBlock* badge : {idleBadge_, fullBadge_}) {
        QPalette palette = badge->palette();
        palette.setColor(QPalette::WindowText, colors.secondaryText);
        badge->setPalette(palette);
    }
    refreshTitleBlock();
    list_->viewport()->update();
}

void MonitorWindow::setVersionText(const QString& text) {
    versionText_ = text;
    refreshTitleBlock();
}

void MonitorWindow::setConnectedSources(const QStringList& names) {
    sources_ = names;
    refreshTitleBlock();
}

void MonitorWindow::setNoSourcesText(const QString& text) {
    noSourcesText_ = text;
    refreshTitleBlock();
}

void MonitorWindow::setMessageCount(qsizetype count) {
    count_ = count;
    countUpdate_->request();
}

void MonitorWindow::setBufferSize(int size) {
    const int index = bufferPicker_->findData(size);
    if (index >= 0) bufferPicker_->setCurrentIndex(index);
}

void MonitorWindow::setExportEnabled(bool enabled) {
    exportButton_->setEnabled(enabled);
}

void MonitorWindow::setPaused(bool paused, const QString& pausedText) {
    pauseButton_->setText(paused ? QStringLiteral("Resume") : QStringLiteral("Pause"));
    pausedText_ = paused ? pausedText : QString();
    // The count of a flood changes with every batch: shown once a frame.
    countUpdate_->request();
}

void MonitorWindow::setTimeStyle(TimeStyle style) {
    for (QAction* action : timeStyleActions_)
        action->setChecked(action == timeStyleActions_[static_cast<std::size_t>(style)]);
    list_->viewport()->update();
}

void MonitorWindow::setTypeShown(UMPMessageType type, bool shown) {
    for (std::size_t i = 0; i < legendOrder.size(); ++i) {
        if (legendOrder[i] != type) continue;
        const QSignalBlocker blocker(legendBoxes_[i]);
        legendBoxes_[i]->setChecked(shown);
    }
}

void MonitorWindow::setSwitch(SettingSwitch setting, bool on) {
    QCheckBox* box = switchBoxes_[static_cast<std::size_t>(setting)];
    const QSignalBlocker blocker(box);
    box->setChecked(on);
}

void MonitorWindow::setAddressChoice(AddressField field, std::optional<std::uint8_t> value) {
    QComboBox* picker = addressPickers_[static_cast<std::size_t>(field)];
    const int index = picker->findData(value ? static_cast<int>(*value) : -1);
    const QSignalBlocker blocker(picker);
    if (index >= 0) picker->setCurrentIndex(index);
}

void MonitorWindow::setNarrationLevel(TTSLevel level) {
    narration_->setLevel(level);
}

void MonitorWindow::setRateRange(float minimum, float maximum) {
    rateMinimum_ = std::min(minimum, maximum);
    rateMaximum_ = std::max(minimum, maximum);
}

void MonitorWindow::setRate(float rate) {
    const float span = rateMaximum_ - rateMinimum_;
    const float fraction = span > 0.0f ? (rate - rateMinimum_) / span : 0.0f;
    const QSignalBlocker blocker(rateSlider_);
    rateSlider_->setValue(
        static_cast<int>(std::lround(std::clamp(fraction, 0.0f, 1.0f) * sliderSteps)));
}

void MonitorWindow::setVolume(float volume) {
    const QSignalBlocker blocker(volumeSlider_);
    volumeSlider_->setValue(
        static_cast<int>(std::lround(std::clamp(volume, 0.0f, 1.0f) * sliderSteps)));
}

void MonitorWindow::setRowSource(const RowSource* source) {
    list_->messageModel().setSource(source);
}

MessageListModel& MonitorWindow::messageModel() const {
    return list_->messageModel();
}

void MonitorWindow::setIdle(bool idle) {
    idleBadge_->setVisible(idle);
    list_->setEndElementHeight(idle ? MessageListView::idleEndHeight
                                    : MessageListView::busyEndHeight);
}

void MonitorWindow::setNotice(const QString& text) {
    noticeText_ = text;
    refreshNotice();
}

void MonitorWindow::setBufferFull(bool full) {
    fullBadge_->setVisible(full);
}

void MonitorWindow::scrollToEnd(bool animated) {
    list_->scrollToEnd(animated);
}

void MonitorWindow::setKeyHandler(KeyHandler handler) {
    KeyRouter::instance().setHandler(this, std::move(handler));
}

void MonitorWindow::showAbout() {
    if (!about_) {
        about_ = new AboutDialog(this);
        about_->setAttribute(Qt::WA_DeleteOnClose);
    }
    about_->show();
    about_->raise();
    about_->activateWindow();
}

void MonitorWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    // Key commands work at once, without a click.
    activateWindow();
    list_->setFocus(Qt::OtherFocusReason);
}

void MonitorWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    layoutLegend();
}

void MonitorWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
        applyColors();
    QMainWindow::changeEvent(event);
}

bool MonitorWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == listArea_ && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        placeBadges();
    return QMainWindow::eventFilter(watched, event);
}

void MonitorWindow::placeBadges() {
    const QRect area = listArea_->rect();
    const QSize idle = idleBadge_->sizeHint();
    idleBadge_->setGeometry(area.right() - badgeInset - idle.width() + 1,
                            area.bottom() - badgeInset - idle.height() + 1, idle.width(),
                            idle.height());
    const QSize full = fullBadge_->sizeHint();
    fullBadge_->setGeometry(area.right() - badgeInset - full.width() + 1, area.top() + badgeInset,
                            full.width(), full.height());
}

} // namespace umbrascope
