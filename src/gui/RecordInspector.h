#pragma once
// The record a finding names: its text byte by byte under a column ruler, with the
// finding's columns marked, and its fields (format/RecordLayouts.h) listed by name with
// their values, Thai decoded.
#include <QAbstractScrollArea>
#include <QDialog>

#include <cstdint>
#include <optional>
#include <string>

class QTableWidget;

namespace tallivo {

// What the inspector shows of a finding: the line it names, the columns it is about
// (none: 0) and what it says.
struct InspectedFinding
{
    std::uint64_t line = 0;
    std::size_t firstColumn = 0;
    std::size_t lastColumn = 0;
    QString text;
};

// The text of line n (from 1) of a payment file as the checks read it, or nothing when
// the file has fewer lines. Raises the file error.
std::optional<std::string> ReadPaymentLine(const std::string& path, std::uint64_t n);

// A record under its ruler: tens, units, then one column per byte; blanks shown as dots.
class RecordView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    RecordView(std::string record, std::size_t columns, std::size_t firstMarked, std::size_t lastMarked,
               QWidget* parent = nullptr);

    // The columns marked (from 1; 0 and 0 when none).
    std::pair<std::size_t, std::size_t> Marked() const { return {m_first, m_last}; }
    // The column at a point of the viewport (from 1), or 0.
    std::size_t ColumnAt(QPoint point) const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    int CellWidth() const;
    int RowHeight() const;

    std::string m_record;
    std::size_t m_columns;
    std::size_t m_first;
    std::size_t m_last;
};

class RecordInspector : public QDialog
{
    Q_OBJECT
public:
    // record: the line's bytes; path: the payment file (for the caption).
    RecordInspector(const std::string& record, const InspectedFinding& finding, const QString& path,
                    QWidget* parent);

    const RecordView& View() const { return *m_view; }
    // Columns, Field, Value; the fields the finding is about are marked and the first
    // of them selected.
    const QTableWidget& FieldTable() const { return *m_fields; }

private:
    RecordView* m_view = nullptr;
    QTableWidget* m_fields = nullptr;
};

} // namespace tallivo
