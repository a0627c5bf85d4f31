#include "gui/RecordInspector.h"

#include "format/PaymentFileReader.h"
#include "format/RecordLayouts.h"
#include "format/RecordTypes.h"
#include "gui/ResultGridModel.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>

namespace tallivo {

namespace {

const QColor kMarked(255, 230, 120);
const QColor kRuler(90, 90, 90);
const QColor kBlank(170, 170, 170);
constexpr int kRulerRows = 2;

// How a byte of the record is shown in its column: blanks as a dot, a Thai mark that
// sits on a letter on a blank of its own so it shows without a placeholder circle.
QString ShownByte(char byte)
{
    if (byte == ' ')
        return QString(QChar(0x00B7));
    const QString text = FromPaymentText(std::string_view(&byte, 1));
    if (text.size() == 1 && text[0].category() == QChar::Mark_NonSpacing)
        return QString(QChar(0x00A0)) + text;
    if (text.size() == 1 && !text[0].isPrint())
        return QString(QChar(0xFFFD));
    return text;
}

// The record's field at a column, if any.
const Field* FieldAt(const std::optional<RecordLayout>& layout, std::size_t column)
{
    if (!layout)
        return nullptr;
    for (const Field& field : layout->fields)
        if (field.First() <= column && column <= field.Last())
            return &field;
    return nullptr;
}

QFont RecordFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(std::max(font.pointSize(), 10));
    return font;
}

} // namespace

std::optional<std::string> ReadPaymentLine(const std::string& path, std::uint64_t n)
{
    PaymentFileReader reader(path);
    PaymentLine line;
    while (reader.Next(line))
        if (reader.LineNumber() == n)
            return std::string(line.text);
    return std::nullopt;
}

RecordView::RecordView(std::string record, std::size_t columns, std::size_t firstMarked, std::size_t lastMarked,
                       QWidget* parent)
    : QAbstractScrollArea(parent), m_record(std::move(record)), m_columns(std::max(columns, m_record.size())),
      m_first(firstMarked), m_last(lastMarked)
{
    setObjectName("RecordView");
    setFont(RecordFont());
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setToolTip("The record under a column ruler: blanks are shown as dots, the finding's columns are marked.\n"
               "The ruler counts the record's bytes, one column each: a Thai vowel or tone mark has a column of "
               "its own, as in the file.");
    viewport()->setMouseTracking(true);
}

int RecordView::CellWidth() const
{
    return QFontMetrics(font()).horizontalAdvance(QLatin1Char('M')) + 2;
}

int RecordView::RowHeight() const
{
    return QFontMetrics(font()).height() + 6;
}

QSize RecordView::sizeHint() const
{
    return QSize(std::min<int>(static_cast<int>(m_columns) * CellWidth(), 1000) + 8,
                 (kRulerRows + 1) * RowHeight() + horizontalScrollBar()->sizeHint().height() + 8);
}

std::size_t RecordView::ColumnAt(QPoint point) const
{
    const int x = point.x() + horizontalScrollBar()->value() - 4;
    if (x < 0)
        return 0;
    const auto column = static_cast<std::size_t>(x / CellWidth()) + 1;
    return column <= m_columns ? column : 0;
}

void RecordView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    const int width = static_cast<int>(m_columns) * CellWidth() + 8;
    horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    // The finding's columns in view.
    if (m_first > 0 && horizontalScrollBar()->value() == 0) {
        const int start = static_cast<int>(m_first - 1) * CellWidth();
        if (start + CellWidth() * 4 > viewport()->width())
            horizontalScrollBar()->setValue(start - viewport()->width() / 3);
    }
}

bool RecordView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        // Which column, and which field it belongs to.
        auto* help = static_cast<QHelpEvent*>(event);
        const std::size_t column = ColumnAt(help->pos());
        if (column == 0)
            return QAbstractScrollArea::viewportEvent(event);
        QString tip = QStringLiteral("Column %1").arg(column);
        if (const Field* field = FieldAt(LayoutOfLine(m_record), column))
            tip += QStringLiteral(": %1 (%2)").arg(QString::fromLatin1(field->name.data(), qsizetype(field->name.size())),
                                                  QString::fromLatin1(field->columns.data(),
                                                                      qsizetype(field->columns.size())));
        else if (column > m_record.size())
            tip += QStringLiteral(": past the end of the line");
        QToolTip::showText(help->globalPos(), tip, viewport());
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void RecordView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().base());
    painter.setFont(font());
    const int cell = CellWidth();
    const int row = RowHeight();
    const int left = 4 - horizontalScrollBar()->value();
    const std::optional<RecordLayout> layout = LayoutOfLine(m_record);
    const auto first = static_cast<std::size_t>(std::max(1, (horizontalScrollBar()->value() - 4) / cell + 1));
    const std::size_t last = std::min(m_columns, first + static_cast<std::size_t>(viewport()->width() / cell) + 2);
    for (std::size_t c = first; c <= last; ++c) {
        const QRect column(left + static_cast<int>(c - 1) * cell, 0, cell, row * (kRulerRows + 1));
        if (c >= m_first && c <= m_last)
            painter.fillRect(column, kMarked);
        // Each field's columns under a band of its own.
        if (const Field* field = FieldAt(layout, c)) {
            const bool odd = (&*field - layout->fields.data()) % 2 == 1;
            painter.fillRect(QRect(column.left(), row * (kRulerRows + 1) - 3, cell, 3),
                             odd ? QColor(120, 150, 200) : QColor(190, 205, 230));
        }
        painter.setPen(kRuler);
        if (c % 10 == 0) {
            const QString tens = QString::number(c);
            painter.drawText(QRect(column.right() - cell * 4, 0, cell * 4, row), Qt::AlignRight | Qt::AlignVCenter,
                             tens);
        }
        painter.drawText(QRect(column.left(), row, cell, row), Qt::AlignCenter, QString::number(c % 10));
        if (c <= m_record.size()) {
            const char byte = m_record[c - 1];
            painter.setPen(byte == ' ' ? kBlank : palette().color(QPalette::Text));
            painter.drawText(QRect(column.left(), row * kRulerRows, cell, row), Qt::AlignCenter, ShownByte(byte));
        }
    }
    painter.setPen(kBlank);
    painter.drawLine(0, row * kRulerRows - 1, viewport()->width(), row * kRulerRows - 1);
}

RecordInspector::RecordInspector(const std::string& record, const InspectedFinding& finding, const QString& path,
                                 QWidget* parent)
    : QDialog(parent)
{
    setObjectName("RecordInspector");
    setWindowTitle("Record");
    const std::optional<RecordLayout> layout = LayoutOfLine(record);
    const QLocale numbers(QLocale::English);

    QString caption = QStringLiteral("Line %1 of %2").arg(numbers.toString(static_cast<qulonglong>(finding.line)),
                                                          QFileInfo(path).fileName());
    if (layout)
        caption += QStringLiteral(": %1 record (%2) of %3 columns; this line has %4")
                       .arg(QString::fromLatin1(layout->name.data(), qsizetype(layout->name.size())),
                            QString::fromLatin1(layout->code.data(), qsizetype(layout->code.size())))
                       .arg(layout->length)
                       .arg(record.size());
    else
        caption += QStringLiteral(": no known record type; this line has %1 columns").arg(record.size());
    auto* heading = new QLabel(caption);
    heading->setObjectName("lblRecord");
    heading->setToolTip(path);
    auto* said = new QLabel(finding.text);
    said->setObjectName("lblFinding");
    said->setWordWrap(true);
    QFont bold = said->font();
    bold.setBold(true);
    said->setFont(bold);

    m_view = new RecordView(record, layout ? layout->length : record.size(), finding.firstColumn, finding.lastColumn,
                            this);

    // The fields, and the columns between them that no field names.
    m_fields = new QTableWidget(0, 3, this);
    m_fields->setObjectName("tblFields");
    m_fields->setHorizontalHeaderLabels({"Columns", "Field", "Value"});
    m_fields->setToolTip("The record's fields by name, with their values (blanks shown as dots)");
    m_fields->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_fields->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_fields->verticalHeader()->hide();
    m_fields->horizontalHeader()->setStretchLastSection(true);
    m_fields->setFont(RecordFont());
    const auto value = [&record](std::size_t first, std::size_t last) {
        if (first > record.size())
            return QStringLiteral("(past the end of the line)");
        // Decoded as a whole, so Thai marks sit on their letters; blanks as dots.
        QString text = FromPaymentText(std::string_view(record).substr(first - 1, last - first + 1));
        text.replace(QLatin1Char(' '), QChar(0x00B7));
        return text;
    };
    int firstMarkedRow = -1;
    const auto addRow = [&](std::size_t first, std::size_t last, const QString& name) {
        const int r = m_fields->rowCount();
        m_fields->insertRow(r);
        const QString columns = first == last ? QString::number(first) : QStringLiteral("%1-%2").arg(first).arg(last);
        m_fields->setItem(r, 0, new QTableWidgetItem(columns));
        m_fields->setItem(r, 1, new QTableWidgetItem(name));
        m_fields->setItem(r, 2, new QTableWidgetItem(value(first, last)));
        if (finding.firstColumn > 0 && first <= finding.lastColumn && finding.firstColumn <= last) {
            for (int c = 0; c < 3; ++c)
                m_fields->item(r, c)->setBackground(kMarked);
            if (firstMarkedRow < 0)
                firstMarkedRow = r;
        }
    };
    const std::size_t end = layout ? std::max(layout->length, record.size()) : record.size();
    addRow(1, std::min<std::size_t>(kRecordCodeWidth, std::max<std::size_t>(end, 1)), "Record Type");
    std::size_t next = kRecordCodeWidth + 1;
    if (layout)
        for (const Field& field : layout->fields) {
            if (field.First() > next)
                addRow(next, field.First() - 1, "(not a field)");
            addRow(field.First(), field.Last(), QString::fromLatin1(field.name.data(), qsizetype(field.name.size())));
            next = field.Last() + 1;
        }
    if (next <= end)
        addRow(next, end, layout ? QStringLiteral("(not a field)") : QStringLiteral("(the rest of the line)"));
    m_fields->resizeColumnsToContents();
    if (firstMarkedRow >= 0) {
        m_fields->selectRow(firstMarkedRow);
        m_fields->scrollToItem(m_fields->item(firstMarkedRow, 0), QAbstractItemView::PositionAtCenter);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setToolTip("Close the record (Esc)");
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layoutBox = new QVBoxLayout(this);
    layoutBox->addWidget(heading);
    layoutBox->addWidget(said);
    layoutBox->addWidget(m_view);
    layoutBox->addWidget(m_fields, 1);
    layoutBox->addWidget(buttons);
    resize(900, 600);
}

} // namespace tallivo
