#pragma once
// A thin table model over the result grid: the grid's body rows (1..) are the
// model's rows 0.., its columns are the grid's columns. Row 0 of the grid (the
// header row) is the horizontal header; the numbering column 0 is also given as the
// vertical header so a view can keep it fixed. No item per cell: cells are read from
// the grid when the view paints them, so a million findings stay usable.
//
// When the grid holds findings the view can be narrowed to the findings containing a
// text and sorted by a column. Both change only which grid row each model row shows:
// the grid, and so the error file Save writes, keeps the order the checks wrote.
#include "findings/ResultGrid.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tallivo {

class ResultGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit ResultGridModel(const ResultGrid& grid, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Re-reads the whole grid when it changed since the last refresh; true when it did.
    // The filter and the sort apply to the grid as it is now. Does nothing while frozen.
    bool Refresh();

    // While a command rewrites the grid on another thread the model is frozen: it shows
    // the headers it had and no rows, and reads nothing of the grid. Unfreezing shows the
    // grid as it is then.
    void SetFrozen(bool frozen);
    bool Frozen() const { return m_frozen; }

    // The grid holds findings (the record type, record length or field layout), which
    // can be counted, filtered and sorted; and how many there are.
    bool HoldsFindings() const;
    std::size_t FindingCount() const;
    // How many findings the view shows (all of them unless filtered).
    std::size_t ShownCount() const;

    // Shows only the findings with the text in one of their cells, letter case aside
    // (an empty text shows all).
    void SetFilter(const QString& text);
    QString Filter() const { return m_filter; }
    // Sorts the view by a column: a new column ascending, the same column again
    // descending, a third time the findings' own order. The sort column, or -1.
    void SortByColumn(int column);
    int SortColumn() const { return m_sortColumn; }
    bool SortDescending() const { return m_sortDescending; }
    // The grid row (from 1) that a model row shows.
    std::size_t GridRow(int modelRow) const;

    // How a cell is aligned: the header row and columns 0 to 3 centred, the others
    // left-aligned; always at the top, on one line.
    static Qt::Alignment CellAlignment(std::size_t col, std::size_t row);

private:
    void ApplyFilterAndSort();

    const ResultGrid& m_grid;
    std::size_t m_generation;
    bool m_frozen = false;
    QStringList m_frozenHeaders; // the horizontal headers while frozen
    QString m_filter;
    std::string m_filterBytes; // the filter as the grid's single-byte text, letters lower case
    bool m_filterMatchesNothing = false; // the filter has a character the grid's text cannot hold
    int m_sortColumn = -1;
    bool m_sortDescending = false;
    bool m_ordered = false;               // m_order says which grid rows the model shows
    std::vector<std::uint32_t> m_order;   // grid rows, when filtered or sorted
};

// Text of the payment file (single-byte Thai, Windows-874) as shown on screen, decoded
// as the reports decode it.
QString FromPaymentText(std::string_view text);
// The other way: the single-byte text of a character, or nothing when it has none.
std::optional<char> ToPaymentByte(QChar ch);

} // namespace tallivo
