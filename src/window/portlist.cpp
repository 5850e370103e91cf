// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "portlist.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <cstdio>

namespace Sernix::Window {

QString portList(const QList<MSCommLib::PortDescription> &ports)
{
    constexpr std::size_t ColumnCount = 5;
    QList<std::array<QString, ColumnCount>> rows;
    std::array<qsizetype, ColumnCount> widths{};
    for (const MSCommLib::PortDescription &port : ports) {
        const std::array<QString, ColumnCount> row{port.path, port.description, port.manufacturer, port.serialNumber,
                                                   port.usbId()};
        for (std::size_t column = 0; column < ColumnCount; ++column)
            widths.at(column) = std::max(widths.at(column), row.at(column).size());
        rows << row;
    }
    QString text;
    for (const auto &row : rows) {
        QStringList cells;
        for (std::size_t column = 0; column < ColumnCount; ++column)
            cells << row.at(column).leftJustified(widths.at(column));
        text += cells.join(QLatin1String("  ")).trimmed() + QLatin1Char('\n');
    }
    return text;
}

int listPorts()
{
    const QList<MSCommLib::PortDescription> ports = MSCommLib::availablePorts();
    if (ports.isEmpty())
        std::fputs("sernix: no serial ports found\n", stderr);
    std::fputs(qPrintable(portList(ports)), stdout);
    return 0;
}

} // namespace Sernix::Window
