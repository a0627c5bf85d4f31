#pragma once
// A thin table model over the result grid: the grid's body rows (1..) are the
// model's rows 0.., its columns are the grid's columns. Row 0 of the grid (the
// header row) is the horizontal header; the numbering column 0 is also given as the
// vertical header so a view can keep it fixed. No item per cell: cells are read from
// the grid when the view paints them, so a million findings stay usable.
#include "findings/ResultGrid.h"

#include <QAbstractTableModel>

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
    // Does nothing while frozen.
    bool Refresh();

    // While a command rewrites the grid on another thread the model is frozen: it shows
    // the headers it had and no rows, and reads nothing of the grid. Unfreezing shows the
    // grid as it is then.
    void SetFrozen(bool frozen);
    bool Frozen() const { return m_frozen; }

    // How a cell is aligned: the header row and columns 0 to 3 centred, the others
    // left-aligned; always at the top, on one line.
    static Qt::Alignment CellAlignment(std::size_t col, std::size_t row);

private:
    const ResultGrid& m_grid;
    std::size_t m_generation;
    bool m_frozen = false;
    QStringList m_frozenHeaders; // the horizontal headers while frozen
};

// Text of the payment file (single-byte Thai, Windows-874) as shown on screen, decoded
// as the reports decode it.
QString FromPaymentText(std::string_view text);

} // namespace tallivo
