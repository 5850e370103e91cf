#include "windowbuilder.h"

#include "channelmap.h"
#include "controls.h"
#include "spacedtext.h"
#include "windowdesign.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QtMath>

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

void buildPortsFrame(QWidget *client)
{
    QGroupBox *ports = placeFrame(client, QStringLiteral("Frame1"), QStringLiteral("Ports"), PortsFrame);
    for (const ChannelEntry &channel : ChannelMap) {
        TwipRect geometry = EnableBoxFirst;
        geometry.top += EnableBoxPitch * channel.arrayIndex();
        auto *box = place<EnableBox>(ports, ControlName::enableBox(channel), geometry);
        box->setText(QStringLiteral("Com%1").arg(channel.number));
    }
}

void buildPinGrid(QWidget *client)
{
    for (const LegendRow &row : PinLegend) {
        const int pin = int(&row - PinLegend.data()) + 1;
        placeLabel(client, ControlName::numbered("Label", row.label), QLatin1String(row.text),
                   {row.left, pinRowTop(pin), LegendWidth, LegendHeight});
    }

    QList<const QWidget *> columnHeads;
    for (const ChannelEntry &channel : ChannelMap) {
        for (int pin = 1; pin <= PinCount; ++pin) {
            // Only the transmit box takes typing; the others show the port.
            auto *box = new PinTextBox(pin != TransmitPin, client);
            box->setObjectName(ControlName::pinText(channel, pin));
            box->setGeometry(rectAt({channel.pinColumnLeft, pinRowTop(pin)}, PinTextSize).toPixels());
            if (pin == 1)
                columnHeads << box;
        }
        const int buttonLeft = channel.pinColumnLeft - LineButtonOffset;
        place<LineButton>(client, ControlName::dtrButton(channel),
                          rectAt({buttonLeft, pinRowTop(DtrPin)}, LineButtonSize));
        place<LineButton>(client, ControlName::rtsButton(channel),
                          rectAt({buttonLeft, pinRowTop(RtsPin)}, LineButtonSize));
    }

    QLabel *header = placeLabel(client, QStringLiteral("Label12"), QString(), ColumnHeader);
    QStringList names;
    for (const ChannelEntry &channel : ChannelMap)
        names << QStringLiteral("Com%1").arg(channel.number);
    alignWordsOver(header, names, columnHeads);
}

void buildConnectorPanel(QWidget *client, const ChannelEntry &channel)
{
    QGroupBox *panel =
        placeFrame(client, ControlName::connectorPanel(channel), QStringLiteral("COM %1").arg(channel.number),
                   rectAt(channel.connectorPanel, ConnectorPanelSize));
    QList<const QWidget *> indicators;
    for (int pin = 1; pin <= PinCount; ++pin) {
        indicators << place<ShapeIndicator>(panel, ControlName::indicator(channel, pin),
                                            rectAt(IndicatorPlace.at(pin - 1), {IndicatorSize, IndicatorSize}));
    }
    for (const PinNumberRow &row : PinNumberRows) {
        QLabel *numbers =
            placeLabel(panel, ControlName::indexed(row.array, channel.arrayIndex()), QString(), row.geometry);
        QStringList digits;
        for (int pin = row.firstPin; pin <= row.lastPin; ++pin)
            digits << QString::number(pin);
        alignWordsOver(numbers, digits, indicators.mid(row.firstPin - 1, row.lastPin - row.firstPin + 1));
    }
    QLabel *caption = placeLabel(panel, ControlName::captionLabel(channel), QString(), channel.captionGeometry);
    caption->setAlignment(Qt::AlignCenter);
    QPalette palette = caption->palette();
    palette.setColor(QPalette::WindowText, resolveOleColor(OleColors::Blue, palette));
    caption->setPalette(palette);
}

void buildSettingPanel(QWidget *client, const ChannelEntry &channel)
{
    QGroupBox *panel = placeFrame(client, ControlName::settingPanel(channel), QStringLiteral("Setting"),
                                  rectAt(channel.settingPanel, SettingPanelSize));
    for (const SettingListDesign &design : SettingLists) {
        auto *list = place<QComboBox>(panel, ControlName::settingList(channel, design.role), design.geometry);
        list->setEditable(true);
        list->setInsertPolicy(QComboBox::NoInsert);
        for (const char *item : design.items)
            list->addItem(QLatin1String(item));
        // No completer: inline completion would turn a typed "12" into "1200".
        list->setCompleter(nullptr);
        list->setCurrentIndex(list->findText(QLatin1String(design.initialText)));
    }
    for (const SettingLegend &legend : SettingLegends) {
        const QString name = legend.array ? ControlName::indexed(legend.array, channel.arrayIndex())
                                          : ControlName::numbered("Label", channel.handshakeLegend);
        TwipRect geometry = legend.geometry;
        for (const GeometryOverride &override : LegendOverrides) {
            if (name == QLatin1String(override.name))
                geometry = override.geometry;
        }
        placeLabel(panel, name, QLatin1String(legend.text), geometry);
    }
}

void buildAboutPanel(QWidget *client)
{
    auto *panel = place<ClickableFrame>(client, QStringLiteral("Frame4"), AboutPanel);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setAutoFillBackground(true);
    QPalette panelPalette = panel->palette();
    panelPalette.setColor(QPalette::Window, resolveOleColor(OleColors::ActiveBorder, panelPalette));
    panel->setPalette(panelPalette);

    auto *about = place<MultiLineTextBox>(panel, QStringLiteral("Text38"), AboutText);
    about->setFrameStyle(QFrame::NoFrame);
    QPalette aboutPalette = about->palette();
    aboutPalette.setColor(QPalette::Base, resolveOleColor(OleColors::ActiveBorder, aboutPalette));
    about->setPalette(aboutPalette);

    auto *terms = place<MultiLineTextBox>(panel, QStringLiteral("Text39"), TermsText);
    terms->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette termsPalette = terms->palette();
    termsPalette.setColor(QPalette::Base, resolveOleColor(OleColors::PaleYellow, termsPalette));
    terms->setPalette(termsPalette);

    place<ClickableImage>(panel, QStringLiteral("Image1"), EmptyImage);
    auto *picture = place<ClickableImage>(panel, QStringLiteral("Image2"), AboutPicture);
    picture->setScaledContents(true);
    picture->setPixmap(QPixmap(QStringLiteral(":/pictures/about.png")));

    panel->hide();
    panel->raise();
}

void setTabOrder(QWidget *client)
{
    QWidget *previous = nullptr;
    for (const QString &name : tabOrder()) {
        QWidget *next = client->findChild<QWidget *>(name);
        Q_ASSERT_X(next, "setTabOrder", qPrintable(name));
        if (previous && next)
            QWidget::setTabOrder(previous, next);
        previous = next;
    }
}

} // namespace

void buildWindowControls(QWidget *clientArea)
{
    buildPortsFrame(clientArea);
    buildPinGrid(clientArea);
    for (const ChannelEntry &channel : ChannelMap) {
        buildConnectorPanel(clientArea, channel);
        buildSettingPanel(clientArea, channel);
    }
    buildAboutPanel(clientArea);
    setTabOrder(clientArea);
}
