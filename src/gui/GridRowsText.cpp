#include "gui/GridRowsText.h"

#include "gui/ResultGridModel.h"

#include <QStringList>

namespace tallivo {

QString GridRowsText(const ResultGrid& grid, const std::vector<std::size_t>& rows)
{
    std::vector<std::size_t> columns;
    for (std::size_t c = 0; c < grid.ColCount(); ++c)
        if (grid.ColWidth(c) > 0)
            columns.push_back(c);
    const auto cellText = [](std::string_view cell) {
        QString text = FromPaymentText(cell);
        for (QChar& ch : text)
            if (ch == '\t' || ch == '\r' || ch == '\n')
                ch = ' ';
        return text;
    };
    QStringList lines;
    const auto line = [&](std::size_t row) {
        QStringList cells;
        for (const std::size_t c : columns)
            cells << cellText(grid.Cell(c, row));
        lines << cells.join('\t');
    };
    line(0);
    for (const std::size_t row : rows)
        line(row);
    return lines.join('\n') + '\n';
}

} // namespace tallivo
