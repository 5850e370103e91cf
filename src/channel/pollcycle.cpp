#include "pollcycle.h"

#include "mscomm.h"
#include "window/controls.h"

#include <QLabel>

#include <array>
#include <functional>

namespace PollCycle {

namespace {

constexpr int DcdPin = 1;
constexpr int ReceivePin = 2;
constexpr int TransmitPin = 3;
constexpr int DtrPin = 4;
constexpr int GroundPin = 5;
constexpr int DsrPin = 6;
constexpr int RtsPin = 7;
constexpr int CtsPin = 8;

// A step the serial control may refuse: the refusal only ends that step.
template <typename Step>
void guarded(Step &&step)
{
    try {
        step();
    } catch (const MSCommLib::CommError &) {
    }
}

// One line-state pin: the read that fills its box, and the colour it lights
// when the box reads true. Inputs light green, outputs red.
struct LinePin
{
    int pin;
    bool (MSCommLib::MSComm::*read)() const;
    OleColor activeColour;
};

void showLine(const ChannelControls &channel, const LinePin &line)
{
    PinTextBox *box = channel.pin(line.pin);
    guarded([&] { box->setText(booleanText((channel.serialControl->*line.read)())); });
    // Decided on the box as it now reads: after a failed read, its old text.
    channel.pinIndicator(line.pin)->setBackColor(readsTrue(box->Text()) ? line.activeColour
                                                                        : OleColors::WindowBackground);
}

void showReceived(const ChannelControls &channel)
{
    PinTextBox *box = channel.pin(ReceivePin);
    guarded([&] { box->setText(channel.serialControl->Input()); });
    channel.pinIndicator(ReceivePin)
        ->setBackColor(box->Text().isEmpty() ? OleColors::WindowBackground : OleColors::Green);
}

// Sends on every second tick while the transmit box holds text.
void transmit(const ChannelControls &channel, qint16 &latch)
{
    const QString text = channel.pin(TransmitPin)->Text();
    if (!text.isEmpty() && latch == 1) {
        channel.pinIndicator(TransmitPin)->setBackColor(OleColors::Red);
        guarded([&] { channel.serialControl->setOutput(text); });
        latch = 2;
    } else {
        channel.pinIndicator(TransmitPin)->setBackColor(OleColors::WindowBackground);
        latch = 1;
    }
}

} // namespace

QString handshakeName(int mode)
{
    static const std::array<QString, 4> names{QStringLiteral("comNone"), QStringLiteral("comXOnXOff"),
                                              QStringLiteral("comRTS"), QStringLiteral("comRTSXOnXOff")};
    return mode >= 0 && mode < int(names.size()) ? names.at(std::size_t(mode)) : QString();
}

QString booleanText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

bool readsTrue(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    bool isNumber = false;
    const double number = trimmed.toDouble(&isNumber);
    return isNumber && number != 0;
}

void refresh(const ChannelControls &channel, qint16 &transmitLatch)
{
    MSCommLib::MSComm &port = *channel.serialControl;

    QString handshake;
    guarded([&] { handshake = handshakeName(port.Handshaking()); });
    guarded([&] { channel.captionLabel->setText(port.Settings() + QLatin1String("  ") + handshake); });

    showLine(channel, {DcdPin, &MSCommLib::MSComm::CDHolding, OleColors::Green});
    showReceived(channel);
    transmit(channel, transmitLatch);
    showLine(channel, {DtrPin, &MSCommLib::MSComm::DTREnable, OleColors::Red});
    channel.pin(GroundPin)->setText(QStringLiteral("0"));
    showLine(channel, {DsrPin, &MSCommLib::MSComm::DSRHolding, OleColors::Green});
    showLine(channel, {RtsPin, &MSCommLib::MSComm::RTSEnable, OleColors::Red});
    showLine(channel, {CtsPin, &MSCommLib::MSComm::CTSHolding, OleColors::Green});
}

void reset(const ChannelControls &channel)
{
    for (int pin = 1; pin <= PinCount; ++pin) {
        channel.pin(pin)->setText(QString());
        if (pin != PinCount)
            channel.pinIndicator(pin)->setBackColor(OleColors::WindowBackground);
    }
    guarded([&] { channel.serialControl->setDTREnable(false); });
    channel.dtrButton->setBackColor(OleColors::ButtonFace);
    guarded([&] { channel.serialControl->setRTSEnable(false); });
    channel.rtsButton->setBackColor(OleColors::ButtonFace);
    // setText, unlike clear(), does nothing when the caption is already empty:
    // an off channel is reset at every tick.
    channel.captionLabel->setText(QString());
}

} // namespace PollCycle
