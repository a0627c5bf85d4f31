// The Result box: the hash value, Save, the filter, the status captions and the grid.
#include "gui/GridCellDelegate.h"
#include "gui/ResultGridModel.h"
#include "gui/TForm1.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace tallivo {

namespace {

// Paints the grid's top-left fixed cell (the heading of the numbering column, which
// the view shows as its vertical header) in the corner of the table view.
class CornerCellPainter : public QObject
{
public:
    CornerCellPainter(QAbstractButton* corner, const QAbstractItemModel* model)
        : QObject(corner), m_corner(corner), m_model(model)
    {
        corner->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_corner || event->type() != QEvent::Paint)
            return false;
        QPainter painter(m_corner);
        QStyleOptionHeader opt;
        opt.initFrom(m_corner);
        opt.rect = m_corner->rect();
        opt.position = QStyleOptionHeader::OnlyOneSection;
        opt.orientation = Qt::Horizontal;
        // The corner button is disabled (it selects nothing), but the cell reads as a heading.
        opt.state |= QStyle::State_Enabled | QStyle::State_Raised | QStyle::State_Horizontal;
        opt.palette.setCurrentColorGroup(QPalette::Active);
        opt.text = m_model->headerData(0, Qt::Horizontal).toString();
        opt.textAlignment = Qt::Alignment(m_model->headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).toInt());
        m_corner->style()->drawControl(QStyle::CE_Header, &opt, &painter, m_corner);
        return true;
    }

private:
    QAbstractButton* m_corner;
    const QAbstractItemModel* m_model;
};

} // namespace

QWidget* TForm1::CreateResultBox()
{
    auto* result = new QGroupBox("Result");
    result->setObjectName("GroupBox3");
    auto* layout = new QVBoxLayout(result);

    Label2 = new QLabel("Hash value");
    Label2->setObjectName("Label2");
    edtHashvalue = new QLineEdit;
    edtHashvalue->setObjectName("edtHashvalue");
    edtHashvalue->setFrame(false);
    QFont bold = edtHashvalue->font();
    bold.setBold(true);
    edtHashvalue->setFont(bold);
    // Room for the 40 characters of a hash value.
    edtHashvalue->setMinimumWidth(QFontMetrics(bold).horizontalAdvance(QString(42, QChar('W'))) * 3 / 4);
    btnSaveError = NewButton("btnSaveError", "Save", &TForm1::btnSaveErrorClick);
    auto* hashRow = new QHBoxLayout;
    hashRow->addWidget(Label2);
    hashRow->addWidget(edtHashvalue);
    hashRow->addSpacing(12);
    hashRow->addWidget(btnSaveError);
    hashRow->addStretch(1);
    // Narrows the grid to the findings containing a text, a moment after typing stops.
    edtFilter = new QLineEdit;
    edtFilter->setObjectName("edtFilter");
    edtFilter->setPlaceholderText("Filter findings");
    edtFilter->setClearButtonEnabled(true);
    edtFilter->setMinimumWidth(240);
    m_filterTimer = new QTimer(this);
    m_filterTimer->setSingleShot(true);
    m_filterTimer->setInterval(200);
    connect(edtFilter, &QLineEdit::textChanged, m_filterTimer, qOverload<>(&QTimer::start));
    connect(m_filterTimer, &QTimer::timeout, this, [this] {
        m_gridModel->SetFilter(edtFilter->text());
        ShowFindingCount();
    });
    hashRow->addWidget(edtFilter);
    layout->addLayout(hashRow);

    QFont status = font();
    status.setPixelSize(16);
    status.setBold(true);
    Label4 = new QLabel;
    Label4->setObjectName("Label4");
    Label4->setFont(status);
    QPalette red = Label4->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    Label4->setPalette(red);
    Label5 = new QLabel;
    Label5->setObjectName("Label5");
    Label5->setFont(status);
    Label5->setAlignment(Qt::AlignCenter);
    QPalette black = Label5->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    Label5->setPalette(black);
    // The labels keep their height when empty, so the grid does not jump.
    for (QLabel* label : {Label4, Label5})
        label->setMinimumHeight(QFontMetrics(status).height());
    layout->addWidget(Label4);
    layout->addWidget(Label5);

    StringGrid1 = new QTableView;
    StringGrid1->setObjectName("StringGrid1");
    // The grid keeps the ordinary window colours around its cells, not the form's.
    QPalette gridPalette = StringGrid1->palette();
    gridPalette.setColor(QPalette::Window, QApplication::palette().color(QPalette::Window));
    StringGrid1->setPalette(gridPalette);
    m_gridModel = new ResultGridModel(m_app.session.grid, this);
    StringGrid1->setModel(m_gridModel);
    StringGrid1->setItemDelegate(new GridCellDelegate(StringGrid1));
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setWordWrap(false);
    StringGrid1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    auto* copy = new QAction("Copy", StringGrid1);
    copy->setObjectName("actCopyRows");
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(copy, &QAction::triggered, this, [this] {
        const QString text = SelectedRowsText();
        if (!text.isEmpty())
            QApplication::clipboard()->setText(text);
    });
    StringGrid1->addAction(copy);
    StringGrid1->setContextMenuPolicy(Qt::ActionsContextMenu);
    // Double-click or Enter: the record the finding names.
    connect(StringGrid1, &QTableView::activated, this, &TForm1::InspectFinding);
    StringGrid1->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    StringGrid1->setCornerButtonEnabled(false);
    QHeaderView* top = StringGrid1->horizontalHeader();
    // A click on a heading sorts the view by it; another click returns to the order of
    // the findings.
    top->setSectionsClickable(true);
    top->setHighlightSections(false);
    connect(top, &QHeaderView::sectionClicked, this, &TForm1::SortByHeading);
    top->setMinimumSectionSize(0);
    // The numbering column is the vertical header, so it stays put while scrolling.
    QHeaderView* side = StringGrid1->verticalHeader();
    side->setSectionsClickable(false);
    side->setHighlightSections(false);
    side->setSectionResizeMode(QHeaderView::Fixed);
    // Every row as high as the grid's font needs, Thai marks above and below included,
    // and never lower than the grid's own row height.
    const int rowHeight = GridCellDelegate::PlacementFor(StringGrid1->font()).rowHeight;
    side->setMinimumSectionSize(rowHeight);
    side->setDefaultSectionSize(rowHeight);
    if (auto* corner = StringGrid1->findChild<QAbstractButton*>())
        new CornerCellPainter(corner, m_gridModel);
    layout->addWidget(StringGrid1, 1);
    return result;
}

} // namespace tallivo
