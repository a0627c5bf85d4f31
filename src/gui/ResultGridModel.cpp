#include "gui/ResultGridModel.h"

#include "common/TextEncoding.h"

#include <QHash>

#include <algorithm>
#include <limits>

namespace tallivo {

namespace {

// The grid's row count includes the header row; a view shows at most INT_MAX rows.
int ToModelCount(std::size_t count)
{
    return static_cast<int>(std::min<std::size_t>(count, std::numeric_limits<int>::max()));
}

unsigned char Folded(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Compares two cells as a reader would: runs of digits by their number, other bytes by
// their code with letter case aside.
int NaturalCompare(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            std::size_t ie = i;
            std::size_t je = j;
            while (ie < a.size() && IsDigit(a[ie]))
                ++ie;
            while (je < b.size() && IsDigit(b[je]))
                ++je;
            // Leading zeros aside, the longer number is the larger.
            std::size_t is = i;
            std::size_t js = j;
            while (is + 1 < ie && a[is] == '0')
                ++is;
            while (js + 1 < je && b[js] == '0')
                ++js;
            if (ie - is != je - js)
                return ie - is < je - js ? -1 : 1;
            if (const int c = a.substr(is, ie - is).compare(b.substr(js, je - js)); c != 0)
                return c;
            i = ie;
            j = je;
            continue;
        }
        const unsigned char x = Folded(a[i]);
        const unsigned char y = Folded(b[j]);
        if (x != y)
            return x < y ? -1 : 1;
        ++i;
        ++j;
    }
    if (a.size() - i == b.size() - j)
        return 0;
    return a.size() - i < b.size() - j ? -1 : 1;
}

bool ContainsFolded(std::string_view haystack, std::string_view needle)
{
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end(),
                       [](char x, char y) { return Folded(x) == Folded(y); }) != haystack.end();
}

} // namespace

QString FromPaymentText(std::string_view text)
{
    return QString::fromStdString(Windows874ToUtf8(text));
}

std::optional<char> ToPaymentByte(QChar ch)
{
    static const QHash<QChar, char> bytes = [] {
        QHash<QChar, char> table;
        for (int b = 255; b >= 1; --b) {
            const char byte = static_cast<char>(b);
            const QString shown = FromPaymentText(std::string_view(&byte, 1));
            if (shown.size() == 1 && shown[0] != QChar::ReplacementCharacter)
                table.insert(shown[0], byte);
        }
        return table;
    }();
    const auto it = bytes.constFind(ch);
    if (it == bytes.constEnd())
        return std::nullopt;
    return *it;
}

ResultGridModel::ResultGridModel(const ResultGrid& grid, QObject* parent)
    : QAbstractTableModel(parent), m_grid(grid), m_generation(grid.Generation())
{
}

bool ResultGridModel::HoldsFindings() const
{
    if (m_frozen)
        return false;
    const GridLayout layout = m_grid.Layout();
    return layout == GridLayout::RecordTypeErrors || layout == GridLayout::RecordLengthErrors ||
           layout == GridLayout::Errors;
}

std::size_t ResultGridModel::FindingCount() const
{
    // The grid's last row is the empty one the next finding goes into.
    return HoldsFindings() && m_grid.RowCount() >= 2 ? m_grid.RowCount() - 2 : 0;
}

std::size_t ResultGridModel::ShownCount() const
{
    return HoldsFindings() && m_ordered ? m_order.size() : FindingCount();
}

std::size_t ResultGridModel::GridRow(int modelRow) const
{
    const auto row = static_cast<std::size_t>(std::max(modelRow, 0));
    if (m_ordered)
        return row < m_order.size() ? m_order[row] : 0;
    return row + 1;
}

int ResultGridModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || m_frozen || m_grid.RowCount() == 0)
        return 0;
    return m_ordered ? ToModelCount(m_order.size()) : ToModelCount(m_grid.RowCount() - 1);
}

int ResultGridModel::columnCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return m_frozen ? static_cast<int>(m_frozenHeaders.size()) : ToModelCount(m_grid.ColCount());
}

Qt::Alignment ResultGridModel::CellAlignment(std::size_t col, std::size_t row)
{
    const Qt::Alignment horizontal = (row == 0 || col <= 3) ? Qt::AlignHCenter : Qt::AlignLeft;
    return horizontal | Qt::AlignTop;
}

QVariant ResultGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || m_frozen)
        return {};
    const auto col = static_cast<std::size_t>(index.column());
    const std::size_t row = GridRow(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return FromPaymentText(m_grid.Cell(col, row));
    case Qt::TextAlignmentRole:
        return static_cast<int>(CellAlignment(col, row).toInt());
    default:
        return {};
    }
}

QVariant ResultGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section < 0)
        return {};
    // Horizontal: row 0 of column `section`. Vertical: column 0 of the row shown there.
    const auto s = static_cast<std::size_t>(section);
    const std::size_t col = orientation == Qt::Horizontal ? s : 0;
    const std::size_t row = orientation == Qt::Horizontal ? 0 : (m_frozen ? 0 : GridRow(section));
    switch (role) {
    case Qt::DisplayRole:
        if (m_frozen)
            return orientation == Qt::Horizontal && section < m_frozenHeaders.size() ? m_frozenHeaders[section]
                                                                                    : QVariant();
        return FromPaymentText(m_grid.Cell(col, row));
    case Qt::TextAlignmentRole:
        return static_cast<int>(CellAlignment(col, orientation == Qt::Horizontal ? 0 : std::max<std::size_t>(row, 1))
                                    .toInt());
    default:
        return {};
    }
}

Qt::ItemFlags ResultGridModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

bool ResultGridModel::Refresh()
{
    if (m_frozen || m_grid.Generation() == m_generation)
        return false;
    beginResetModel();
    m_generation = m_grid.Generation();
    ApplyFilterAndSort();
    endResetModel();
    return true;
}

void ResultGridModel::SetFrozen(bool frozen)
{
    if (frozen == m_frozen)
        return;
    beginResetModel();
    m_frozenHeaders.clear();
    if (frozen)
        for (std::size_t c = 0; c < m_grid.ColCount(); ++c)
            m_frozenHeaders << FromPaymentText(m_grid.Cell(c, 0));
    m_frozen = frozen;
    m_generation = m_grid.Generation();
    ApplyFilterAndSort();
    endResetModel();
}

void ResultGridModel::SetFilter(const QString& text)
{
    if (text == m_filter)
        return;
    m_filter = text;
    m_filterBytes.clear();
    m_filterMatchesNothing = false;
    for (const QChar ch : text) {
        const std::optional<char> byte = ToPaymentByte(ch);
        if (!byte)
            m_filterMatchesNothing = true;
        else
            m_filterBytes += static_cast<char>(Folded(*byte));
    }
    beginResetModel();
    ApplyFilterAndSort();
    endResetModel();
}

void ResultGridModel::SortByColumn(int column)
{
    beginResetModel();
    if (column != m_sortColumn) {
        m_sortColumn = column;
        m_sortDescending = false;
    } else if (!m_sortDescending) {
        m_sortDescending = true;
    } else {
        m_sortColumn = -1;
        m_sortDescending = false;
    }
    ApplyFilterAndSort();
    endResetModel();
}

void ResultGridModel::ApplyFilterAndSort()
{
    m_order.clear();
    m_order.shrink_to_fit();
    m_ordered = false;
    if (!HoldsFindings() || (m_filter.isEmpty() && m_sortColumn < 0))
        return;
    m_ordered = true;
    const std::size_t findings = FindingCount();
    const std::size_t columns = m_grid.ColCount();
    if (!m_filterMatchesNothing) {
        m_order.reserve(m_filter.isEmpty() ? findings : 0);
        for (std::size_t r = 1; r <= findings; ++r) {
            bool shown = m_filterBytes.empty();
            for (std::size_t c = 0; c < columns && !shown; ++c)
                shown = ContainsFolded(m_grid.Cell(c, r), m_filterBytes);
            if (shown)
                m_order.push_back(static_cast<std::uint32_t>(r));
        }
    }
    if (m_sortColumn >= 0) {
        const auto col = static_cast<std::size_t>(m_sortColumn);
        // Equal cells keep the findings' order in both directions.
        const bool descending = m_sortDescending;
        std::stable_sort(m_order.begin(), m_order.end(), [this, col, descending](std::uint32_t a, std::uint32_t b) {
            const int order = NaturalCompare(m_grid.Cell(col, a), m_grid.Cell(col, b));
            return descending ? order > 0 : order < 0;
        });
    }
}

} // namespace tallivo
