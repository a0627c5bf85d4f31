#include "gui/ComparisonView.h"

#include "gui/GridCellDelegate.h"
#include "gui/ResultGridModel.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace tallivo {

namespace {

QString FromPath(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

QString Plain(const std::string& text)
{
    return QString::fromStdString(text);
}

// How a column's texts are shown: as they are, as payment-file bytes (Thai decoded as in
// the grid), or as a number, right-aligned.
enum class Shown {
    Plain,
    PaymentText,
    Number,
};

template <typename Row>
struct TextColumn
{
    const char* heading;
    std::string Row::*text;
    Shown shown;
};

// A model of the rows, one column for each text named.
template <typename Row>
TextRowsModel* ColumnsModel(const std::vector<Row>& rows, std::vector<TextColumn<Row>> columns, QObject* parent)
{
    QStringList headings;
    std::vector<int> numbers;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        headings << columns[c].heading;
        if (columns[c].shown == Shown::Number)
            numbers.push_back(static_cast<int>(c));
    }
    return new TextRowsModel(
        std::move(headings), rows.size(),
        [&rows, columns = std::move(columns)](std::size_t r, int c) {
            const TextColumn<Row>& column = columns[static_cast<std::size_t>(c)];
            const std::string& text = rows[r].*column.text;
            return column.shown == Shown::PaymentText ? FromPaymentText(text) : Plain(text);
        },
        std::move(numbers), parent);
}

} // namespace

TextRowsModel::TextRowsModel(QStringList headings, std::size_t rows, CellText cell, std::vector<int> rightAligned,
                             QObject* parent)
    : QAbstractTableModel(parent), m_headings(std::move(headings)), m_rows(rows), m_cell(std::move(cell)),
      m_rightAligned(std::move(rightAligned))
{
}

int TextRowsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(std::min<std::size_t>(m_rows, std::numeric_limits<int>::max()));
}

int TextRowsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_headings.size());
}

QVariant TextRowsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const bool right = std::find(m_rightAligned.begin(), m_rightAligned.end(), index.column()) != m_rightAligned.end();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return m_cell(static_cast<std::size_t>(index.row()), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(
            Qt::Alignment(right ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter));
    default:
        return {};
    }
}

QVariant TextRowsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_headings.size())
        return m_headings[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

ComparisonView::ComparisonView(PaymentComparison comparison, QWidget* parent)
    : QDialog(parent), m_comparison(std::move(comparison))
{
    setObjectName("dlgComparison");
    setAttribute(Qt::WA_DeleteOnClose);
    // Beside the main window, which goes on taking commands while it is open.
    setModal(false);
    setWindowTitle("Compare: " + QFileInfo(FromPath(m_comparison.oldPath)).fileName() + " -> " +
                   QFileInfo(FromPath(m_comparison.newPath)).fileName());

    auto* files = new QLabel("Old: " + FromPath(m_comparison.oldPath) + "\nNew: " + FromPath(m_comparison.newPath));
    files->setObjectName("lblComparisonFiles");
    files->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* summary = new QLabel(Plain(m_comparison.SummaryText()));
    summary->setObjectName("lblComparisonSummary");
    QFont bold = summary->font();
    bold.setBold(true);
    summary->setFont(bold);

    const std::vector<ComparisonRow>& rows = m_comparison.rows;
    using Change = ComparisonRow;
    auto* changes = ColumnsModel<Change>(rows,
                                         {{"Kind", &Change::kind, Shown::Plain},
                                          {"Record Type", &Change::recordType, Shown::PaymentText},
                                          {"Old Line", &Change::oldLine, Shown::Number},
                                          {"New Line", &Change::newLine, Shown::Number},
                                          {"Field", &Change::field, Shown::Plain},
                                          {"Columns", &Change::columns, Shown::Plain},
                                          {"Old Text", &Change::oldText, Shown::PaymentText},
                                          {"New Text", &Change::newText, Shown::PaymentText}},
                                         this);
    QTableView* changeTable = NewTable("tblComparison", changes);
    changeTable->setToolTip("One row per field that differs; an added or removed record names no field");
    changeTable->horizontalHeader()->setStretchLastSection(true);

    const std::vector<ComparisonTotalsRow>& totals = m_comparison.totals;
    using Totals = ComparisonTotalsRow;
    auto* totalsModel = ColumnsModel<Totals>(totals,
                                             {{"Product", &Totals::product, Shown::PaymentText},
                                              {"Value Date", &Totals::valueDate, Shown::PaymentText},
                                              {"Old Credits", &Totals::oldCredits, Shown::Number},
                                              {"Old Amount", &Totals::oldAmount, Shown::Number},
                                              {"New Credits", &Totals::newCredits, Shown::Number},
                                              {"New Amount", &Totals::newAmount, Shown::Number},
                                              {"Credits Difference", &Totals::creditsDifference, Shown::Number},
                                              {"Amount Difference", &Totals::amountDifference, Shown::Number}},
                                             this);
    QTableView* totalsTable = NewTable("tblComparisonTotals", totalsModel);
    totalsTable->setToolTip(
        "The credits' count and amount per product and value date in each file, and the difference");
    // As high as its rows need, up to eight of them; the changes take the rest.
    const int shownRows = std::clamp(totalsModel->rowCount(), 1, 8);
    totalsTable->setFixedHeight(totalsTable->horizontalHeader()->sizeHint().height() +
                                shownRows * totalsTable->verticalHeader()->defaultSectionSize() +
                                2 * totalsTable->frameWidth() +
                                totalsTable->horizontalScrollBar()->sizeHint().height());
    auto* totalsCaption = new QLabel("Credits by product and value date: old, new and the difference");
    totalsCaption->setObjectName("lblComparisonTotals");

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->button(QDialogButtonBox::Close)->setObjectName("btnCloseComparison");
    buttons->button(QDialogButtonBox::Close)->setToolTip("Close the comparison");
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(files);
    layout->addWidget(summary);
    layout->addWidget(changeTable, 1);
    layout->addWidget(totalsCaption);
    layout->addWidget(totalsTable);
    layout->addWidget(buttons);
    resize(1000, 600);
}

QTableView* ComparisonView::NewTable(const char* name, QAbstractTableModel* model)
{
    auto* table = new QTableView;
    table->setObjectName(name);
    table->setModel(model);
    table->setItemDelegate(new GridCellDelegate(table));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setWordWrap(false);
    table->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    table->verticalHeader()->hide();
    // Every row as high as the result grid's, Thai marks above and below included.
    const int rowHeight = GridCellDelegate::PlacementFor(table->font()).rowHeight;
    table->verticalHeader()->setMinimumSectionSize(rowHeight);
    table->verticalHeader()->setDefaultSectionSize(rowHeight);
    table->resizeColumnsToContents();
    // A field's text fills its width with blanks: the column is no wider than a long
    // name needs, so the old and the new text are seen side by side (the tip has it all).
    const int widest = table->fontMetrics().averageCharWidth() * 32;
    for (int c = 0; c < model->columnCount(); ++c)
        table->setColumnWidth(c, std::min(table->columnWidth(c), widest));
    return table;
}

} // namespace tallivo
