#pragma once
// The comparison of the payment file with another, in a window of its own beside the
// main window: one row per differing field (kind, record type, old and new line, field,
// columns, old and new text, Thai decoded as the result grid decodes it), and below them
// the credits' totals per product and value date in each file and their difference.
#include "app/CompareCommand.h"

#include <QAbstractTableModel>
#include <QDialog>

#include <functional>
#include <vector>

class QLabel;
class QTableView;

namespace tallivo {

// Rows of text cells under fixed headings, the cells read as they are shown.
class TextRowsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using CellText = std::function<QString(std::size_t row, int column)>;
    // rightAligned: the columns of numbers.
    TextRowsModel(QStringList headings, std::size_t rows, CellText cell, std::vector<int> rightAligned,
                  QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QStringList m_headings;
    std::size_t m_rows;
    CellText m_cell;
    std::vector<int> m_rightAligned;
};

class ComparisonView : public QDialog
{
    Q_OBJECT
public:
    ComparisonView(PaymentComparison comparison, QWidget* parent);

    const PaymentComparison& Comparison() const { return m_comparison; }

private:
    QTableView* NewTable(const char* name, QAbstractTableModel* model);

    PaymentComparison m_comparison;
};

} // namespace tallivo
