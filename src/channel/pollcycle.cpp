// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "pollcycle.h"

#include "connectorstatus.h"
#include "linetext.h"
#include "transmitlatch.h"

#include "controls/linebutton.h"
#include "controls/pintextbox.h"
#include "controls/shapeindicator.h"
#include "serial/mscomm.h"

#include <QLabel>

namespace Sernix::Channel::PollCycle {

using namespace Sernix::Controls;

namespace {

// A step the serial control may refuse: the refusal only ends that step.
template <typename Step>
void guarded(Step &&step)
{
    try {
        step();
    } catch (const MSCommLib::CommError &) {
        // Nothing is lost: a port that went away says so itself (stderr and
        // the panel), and the next tick runs the step again.
    }
}

// One line-state pin: the read that fills its box, and the colour it lights
// when the box reads true. Inputs light green, outputs red.
struct LinePin
{
    Pin pin;
    bool (MSCommLib::MSComm::*read)() const;
    OleColor activeColour;
};

void showLine(const ChannelControls &channel, const LinePin &line)
{
    PinTextBox *box = channel.pin(line.pin);
    guarded([&] { box->setText(LineText::booleanText((channel.serialControl->*line.read)())); });
    // Decided on the box as it now reads: after a failed read, its old text.
    channel.pinIndicator(line.pin)->setBackColor(LineText::readsTrue(box->Text()) ? line.activeColour
                                                                                  : OleColors::WindowBackground);
}

void showReceived(const ChannelControls &channel)
{
    PinTextBox *box = channel.pin(Pin::Rd);
    guarded([&] { box->setText(channel.serialControl->Input()); });
    channel.pinIndicator(Pin::Rd)->setBackColor(box->Text().isEmpty() ? OleColors::WindowBackground : OleColors::Green);
}

// The caption's accessible description repeats it, so that a screen reader
// hears the change; both are written only when the text changes.
void showCaption(const ChannelControls &channel, const QString &text)
{
    if (channel.captionLabel->text() == text)
        return;
    channel.captionLabel->setText(text);
    channel.captionLabel->setAccessibleDescription(text);
}

// Sends on every second tick while the transmit box holds text.
void transmit(const ChannelControls &channel, qint16 &latch)
{
    const QString text = channel.pin(Pin::Td)->Text();
    if (!text.isEmpty() && latch == TransmitLatch::Ready) {
        channel.pinIndicator(Pin::Td)->setBackColor(OleColors::Red);
        guarded([&] { channel.serialControl->setOutput(text); });
        latch = TransmitLatch::Sent;
    } else {
        channel.pinIndicator(Pin::Td)->setBackColor(OleColors::WindowBackground);
        latch = TransmitLatch::Ready;
    }
}

} // namespace

void refresh(const ChannelControls &channel, qint16 &transmitLatch)
{
    MSCommLib::MSComm &port = *channel.serialControl;
    const ConnectorStatus::LevelsBefore levelsBefore = ConnectorStatus::levelsBefore(channel);

    QString handshake;
    guarded([&] { handshake = MSCommLib::handshakeName(port.Handshaking()); });
    guarded([&] { showCaption(channel, port.Settings() + QLatin1String("  ") + handshake); });

    showLine(channel, {Pin::Dcd, &MSCommLib::MSComm::CDHolding, OleColors::Green});
    showReceived(channel);
    transmit(channel, transmitLatch);
    showLine(channel, {Pin::Dtr, &MSCommLib::MSComm::DTREnable, OleColors::Red});
    channel.pin(Pin::Gnd)->setText(QStringLiteral("0"));
    showLine(channel, {Pin::Dsr, &MSCommLib::MSComm::DSRHolding, OleColors::Green});
    showLine(channel, {Pin::Rts, &MSCommLib::MSComm::RTSEnable, OleColors::Red});
    showLine(channel, {Pin::Cts, &MSCommLib::MSComm::CTSHolding, OleColors::Green});
    ConnectorStatus::refresh(channel, levelsBefore);
}

void reset(const ChannelControls &channel)
{
    for (Pin pin : AllPins) {
        channel.pin(pin)->setText(QString());
        // The RI indicator is never written.
        if (pin != Pin::Ri)
            channel.pinIndicator(pin)->setBackColor(OleColors::WindowBackground);
    }
    guarded([&] { channel.serialControl->setDTREnable(false); });
    channel.dtrButton->setBackColor(OleColors::ButtonFace);
    guarded([&] { channel.serialControl->setRTSEnable(false); });
    channel.rtsButton->setBackColor(OleColors::ButtonFace);
    // setText, unlike clear(), does nothing when the caption is already empty:
    // an off channel is reset at every tick.
    showCaption(channel, QString());
    ConnectorStatus::clear(channel);
}

} // namespace Sernix::Channel::PollCycle
