#pragma once

class QWidget;

// Creates every control of the window design on the client area, each with
// its design name as objectName, at its designed place and with its initial
// properties. Behaviour is wired by the window afterwards, by name.
void buildWindowControls(QWidget *clientArea);
