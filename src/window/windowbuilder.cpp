// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "windowbuilder.h"

#include "spacedtext.h"
#include "windowdesign.h"

#include "channel/connectorstatus.h"
#include "controls/channelmap.h"
#include "controls/clickableframe.h"
#include "controls/clickableimage.h"
#include "controls/enablebox.h"
#include "controls/fittedlabel.h"
#include "controls/linebutton.h"
#include "controls/multilinetextbox.h"
#include "controls/pintextbox.h"
#include "controls/pulsemark.h"
#include "controls/settinglistbox.h"
#include "controls/shapeindicator.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QtMath>

namespace Sernix::Window {

using namespace Sernix::Controls;

namespace {

using namespace WindowDesign;

template <typename Control>
Control *place(QWidget *parent, const QString &name, const TwipRect &geometry)
{
    auto *control = new Control(parent);
    control->setObjectName(name);
    control->setGeometry(geometry.toPixels());
    return control;
}

TwipRect rectAt(QPoint topLeft, QSize size)
{
    return {topLeft.x(), topLeft.y(), size.width(), size.height()};
}

QLabel *placeLabel(QWidget *parent, const QString &name, const QString &text, const TwipRect &geometry)
{
    auto *label = place<QLabel>(parent, name, geometry);
    label->setText(text);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QGroupBox *placeFrame(QWidget *parent, const QString &name, const QString &caption, const TwipRect &geometry)
{
    auto *frame = place<QGroupBox>(parent, name, geometry);
    frame->setTitle(caption);
    return frame;
}

void setTextColour(QLabel *label, OleColor colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, resolveOleColor(colour, palette));
    label->setPalette(palette);
}

void setPointSize(QWidget *widget, int points)
{
    QFont font = widget->font();
    font.setPointSize(points);
    widget->setFont(font);
}

// A label whose words each stand centred over a widget of the same parent.
void alignWordsOver(QLabel *label, const QStringList &words, const QList<const QWidget *> &targets)
{
    QList<qreal> centres;
    for (const QWidget *target : targets)
        centres << target->geometry().center().x() + 0.5 - label->x();
    label->setText(spacedText(label->fontMetrics(), words, centres));
    // A face wider than the one the window was drawn for may push the last
    // word a pixel past the designed width; widen rather than clip it.
    const int needed = qCeil(QFontMetricsF(label->font()).horizontalAdvance(label->text()));
    if (needed > label->width())
        label->resize(needed, label->height());
}

void buildPortsFrame(QWidget *client, WindowControls &built)
{
    QGroupBox *ports = placeFrame(client, QStringLiteral("Frame1"), QStringLiteral("Ports"), PortsFrame);
    for (const ChannelEntry &channel : ChannelMap) {
        TwipRect geometry = EnableBoxFirst;
        geometry.top += EnableBoxPitch * channel.arrayIndex();
        auto *box = place<EnableBox>(ports, ControlName::enableBox(channel), geometry);
        box->setText(QStringLiteral("Com%1").arg(channel.number));
        built.channels.at(std::size_t(channel.arrayIndex())).enableBox = box;
    }
}

void buildPinGrid(QWidget *client, WindowControls &built)
{
    for (Pin pin : AllPins) {
        const LegendRow &row = PinLegend.at(pinIndex(pin));
        placeLabel(client, ControlName::numbered("Label", row.label), QLatin1String(row.text),
                   {row.left, pinRowTop(pin), LegendWidth, LegendHeight});
    }

    QList<const QWidget *> columnHeads;
    for (const ChannelEntry &channel : ChannelMap) {
        ChannelControls &controls = built.channels.at(std::size_t(channel.arrayIndex()));
        for (Pin pin : AllPins) {
            // Only the transmit box takes typing; the others show the port.
            auto *box = new PinTextBox(pin != Pin::Td, client);
            box->setObjectName(ControlName::pinText(channel, pin));
            box->setGeometry(rectAt({channel.pinColumnLeft, pinRowTop(pin)}, PinTextSize).toPixels());
            box->setAccessibleName(SpokenName::pinText(channel, pin));
            box->setAccessibleDescription(QLatin1String(PinLegend.at(pinIndex(pin)).text).trimmed());
            controls.pinText.at(pinIndex(pin)) = box;
        }
        columnHeads << controls.pin(Pin::Dcd);
        const int buttonLeft = channel.pinColumnLeft - LineButtonOffset;
        controls.dtrButton = place<LineButton>(client, ControlName::dtrButton(channel),
                                               rectAt({buttonLeft, pinRowTop(Pin::Dtr)}, LineButtonSize));
        controls.rtsButton = place<LineButton>(client, ControlName::rtsButton(channel),
                                               rectAt({buttonLeft, pinRowTop(Pin::Rts)}, LineButtonSize));
        controls.dtrButton->setAccessibleName(SpokenName::lineButton(channel, Pin::Dtr));
        controls.rtsButton->setAccessibleName(SpokenName::lineButton(channel, Pin::Rts));
    }

    QLabel *header = placeLabel(client, QStringLiteral("Label12"), QString(), ColumnHeader);
    QStringList names;
    for (const ChannelEntry &channel : ChannelMap)
        names << QStringLiteral("Com%1").arg(channel.number);
    alignWordsOver(header, names, columnHeads);
    header->setAccessibleName(QStringLiteral("Pin box columns legend"));
}

// What a lit indicator tells: data came in, data went out, or the line is on.
QString litMeaning(Pin pin)
{
    switch (pin) {
    case Pin::Rd:
        return QStringLiteral("received");
    case Pin::Td:
        return QStringLiteral("sending");
    default:
        return QStringLiteral("active");
    }
}

void buildConnectorPanel(QWidget *client, const ChannelEntry &channel, ChannelControls &controls)
{
    QGroupBox *panel =
        placeFrame(client, ControlName::connectorPanel(channel), QStringLiteral("COM %1").arg(channel.number),
                   rectAt(channel.connectorPanel, ConnectorPanelSize));
    for (Pin pin : AllPins) {
        controls.indicator.at(pinIndex(pin)) =
            place<ShapeIndicator>(panel, ControlName::indicator(channel, pin),
                                  rectAt(IndicatorPlace.at(pinIndex(pin)), {IndicatorSize, IndicatorSize}));
        controls.pinIndicator(pin)->setAccessibleName(SpokenName::indicator(channel, pin));
        controls.pinIndicator(pin)->setLitMeaning(litMeaning(pin));
    }
    panel->setAccessibleName(SpokenName::channel(channel) + QLatin1String(" connector"));
    for (const PinNumberRow &row : PinNumberRows) {
        QLabel *numbers =
            placeLabel(panel, ControlName::indexed(row.array, channel.arrayIndex()), QString(), row.geometry);
        QStringList digits;
        QList<const QWidget *> indicators;
        for (int pin = pinNumber(row.firstPin); pin <= pinNumber(row.lastPin); ++pin) {
            digits << QString::number(pin);
            indicators << controls.pinIndicator(Pin(pin));
        }
        alignWordsOver(numbers, digits, indicators);
        numbers->setAccessibleName(
            SpokenName::legend(channel, QStringLiteral("pins %1 to %2").arg(digits.first(), digits.last())));
    }
    controls.captionLabel = placeLabel(panel, ControlName::captionLabel(channel), QString(), channel.captionGeometry);
    controls.captionLabel->setAlignment(Qt::AlignCenter);
    setTextColour(controls.captionLabel, OleColors::Blue);
    controls.captionLabel->setAccessibleName(SpokenName::channel(channel) + QLatin1String(" port settings"));

    const auto placeNote = [&](const char *array, const char *spoken, const TwipRect &geometry) {
        auto *note = place<FittedLabel>(panel, ControlName::indexed(array, channel.arrayIndex()), geometry);
        note->setAccessibleName(SpokenName::channel(channel) + QLatin1Char(' ') + QLatin1String(spoken));
        note->setAlignment(Qt::AlignCenter);
        setTextColour(note, OleColors::Red);
        setPointSize(note, AdditionFontPoints);
        return note;
    };
    controls.deviceState = placeNote("DeviceState", "device state", DeviceStatePlace);
    controls.lineEvents = placeNote("LineEvents", "line errors", LineEventsPlace);
    for (const Channel::ConnectorStatus::MarkedLine &line : Channel::ConnectorStatus::MarkedLines) {
        ShapeIndicator *indicator = controls.pinIndicator(line.pin);
        const QByteArray array = "Pulse" + QByteArray::number(pinNumber(line.pin));
        TwipRect ring = rectAt(IndicatorPlace.at(pinIndex(line.pin)), {IndicatorSize, IndicatorSize});
        ring = {ring.left - PulseMarkMargin, ring.top - PulseMarkMargin, ring.width + 2 * PulseMarkMargin,
                ring.height + 2 * PulseMarkMargin};
        auto *mark = place<PulseMark>(panel, ControlName::indexed(array.constData(), channel.arrayIndex()), ring);
        mark->stackUnder(indicator);
        mark->setAccessibleName(SpokenName::pulseMark(channel, line.pin));
        controls.pulseMarks.at(pinIndex(line.pin)) = mark;
    }
    controls.connectorPanel = panel;
}

void buildSettingPanel(QWidget *client, const ChannelEntry &channel, ChannelControls &controls)
{
    QGroupBox *panel = placeFrame(client, ControlName::settingPanel(channel), QStringLiteral("Setting"),
                                  rectAt(channel.settingPanel, SettingPanelSize));
    panel->setAccessibleName(SpokenName::channel(channel) + QLatin1String(" settings"));
    for (const SettingListDesign &design : SettingLists) {
        auto *list = place<SettingListBox>(panel, ControlName::settingList(channel, design.role), design.geometry);
        list->setEditable(true);
        list->setInsertPolicy(QComboBox::NoInsert);
        for (const char *item : design.items)
            list->addItem(QLatin1String(item));
        // No completer: inline completion would turn a typed "12" into "1200".
        list->setCompleter(nullptr);
        list->setAccessibleName(SpokenName::settingList(channel, design.role));
        list->setCurrentIndex(list->findText(QLatin1String(design.initialText)));
        controls.settingList.at(std::size_t(design.role)) = list;
    }
    for (const SettingLegend &legend : SettingLegends) {
        const QString name = legend.array ? ControlName::indexed(legend.array, channel.arrayIndex())
                                          : ControlName::numbered("Label", channel.handshakeLegend);
        TwipRect geometry = legend.geometry;
        for (const GeometryOverride &override : LegendOverrides) {
            if (name == QLatin1String(override.name))
                geometry = override.geometry;
        }
        placeLabel(panel, name, QLatin1String(legend.text), geometry)
            ->setAccessibleName(SpokenName::legend(channel, SpokenName::settingWords(legend.role)));
    }
}

AboutPanelControls buildAboutPanel(QWidget *client)
{
    AboutPanelControls about;
    about.panel = place<ClickableFrame>(client, QStringLiteral("Frame4"), AboutPanel);
    about.panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    about.panel->setAutoFillBackground(true);
    QPalette panelPalette = about.panel->palette();
    panelPalette.setColor(QPalette::Window, resolveOleColor(OleColors::ActiveBorder, panelPalette));
    about.panel->setPalette(panelPalette);
    about.panel->setAccessibleName(QStringLiteral("About panel"));

    about.aboutText = place<MultiLineTextBox>(about.panel, QStringLiteral("Text38"), AboutText);
    about.aboutText->setFrameStyle(QFrame::NoFrame);
    QPalette aboutPalette = about.aboutText->palette();
    aboutPalette.setColor(QPalette::Base, resolveOleColor(OleColors::ActiveBorder, aboutPalette));
    about.aboutText->setPalette(aboutPalette);
    about.aboutText->setAccessibleName(QStringLiteral("About text"));

    about.termsText = place<MultiLineTextBox>(about.panel, QStringLiteral("Text39"), TermsText);
    about.termsText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette termsPalette = about.termsText->palette();
    termsPalette.setColor(QPalette::Base, resolveOleColor(OleColors::PaleYellow, termsPalette));
    about.termsText->setPalette(termsPalette);
    about.termsText->setAccessibleName(QStringLiteral("Terms of use"));

    place<ClickableImage>(about.panel, QStringLiteral("Image1"), EmptyImage)
        ->setAccessibleName(QStringLiteral("About blank picture"));
    about.picture = place<ClickableImage>(about.panel, QStringLiteral("Image2"), AboutPicture);
    about.picture->setScaledContents(true);
    about.picture->setPixmap(QPixmap(QStringLiteral(":/pictures/about.png")));
    about.picture->setAccessibleName(QStringLiteral("About picture"));

    about.panel->hide();
    about.panel->raise();
    return about;
}

// Keyboard order: enable boxes, the pin boxes channel by channel, the line
// buttons of channels 1 and 2, the setting lists Combo1(0) to Combo1(15),
// the line buttons of channels 3 and 4, the About texts, and last the
// handshaking lists.
void setTabOrder(const WindowControls &built)
{
    std::array<QWidget *, std::size_t(ChannelCount) * SettingRoleCount> listsByIndex{};
    for (const ChannelControls &channel : built.channels) {
        for (int role = 0; role < SettingRoleCount; ++role)
            listsByIndex.at(std::size_t(channel.entry->settingList.at(std::size_t(role)))) =
                channel.list(SettingRole(role));
    }
    const auto lineButtons = [&](std::size_t first, std::size_t last) {
        QList<QWidget *> buttons;
        for (std::size_t i = first; i <= last; ++i)
            buttons << built.channels.at(i).dtrButton << built.channels.at(i).rtsButton;
        return buttons;
    };
    const auto lists = [&](std::size_t first, std::size_t end) {
        return QList<QWidget *>(listsByIndex.begin() + first, listsByIndex.begin() + end);
    };
    constexpr std::size_t FirstHandshakingList = 16;

    QList<QWidget *> order;
    for (const ChannelControls &channel : built.channels)
        order << channel.enableBox;
    for (const ChannelControls &channel : built.channels) {
        for (PinTextBox *box : channel.pinText)
            order << box;
    }
    order << lineButtons(0, 1);
    order << lists(0, FirstHandshakingList);
    order << lineButtons(2, 3);
    order << built.about.aboutText << built.about.termsText;
    order << lists(FirstHandshakingList, listsByIndex.size());
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
}

} // namespace

WindowControls buildWindowControls(QWidget *clientArea)
{
    WindowControls built;
    for (const ChannelEntry &channel : ChannelMap)
        built.channels.at(std::size_t(channel.arrayIndex())).entry = &channel;
    buildPortsFrame(clientArea, built);
    buildPinGrid(clientArea, built);
    for (const ChannelEntry &channel : ChannelMap) {
        ChannelControls &controls = built.channels.at(std::size_t(channel.arrayIndex()));
        buildConnectorPanel(clientArea, channel, controls);
        buildSettingPanel(clientArea, channel, controls);
    }
    built.about = buildAboutPanel(clientArea);
    setTabOrder(built);
    return built;
}

} // namespace Sernix::Window
