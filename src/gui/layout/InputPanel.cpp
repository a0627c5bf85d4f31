// The Information box: the payment file, the output mode, the new file and the zip archive.
#include "gui/TForm1.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

namespace tallivo {

QPushButton* TForm1::NewButton(const char* name, const char* caption, void (TForm1::*handler)())
{
    auto* button = new QPushButton(caption);
    button->setObjectName(name);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, handler);
    return button;
}

QWidget* TForm1::CreateInformationBox()
{
    const auto newLabel = [](const char* name, const char* caption) {
        auto* label = new QLabel(caption);
        label->setObjectName(name);
        return label;
    };
    const auto newEdit = [](const char* name) {
        auto* edit = new QLineEdit;
        edit->setObjectName(name);
        edit->setMinimumWidth(360);
        return edit;
    };

    // A file's row: its caption, its name, Open and Clear.
    const auto addFileRow = [](QGridLayout* grid, int row, std::initializer_list<QWidget*> widgets) {
        int column = 0;
        for (QWidget* widget : widgets)
            grid->addWidget(widget, row, column++);
    };

    auto* information = new QGroupBox("Information");
    information->setObjectName("GroupBox1");
    auto* grid = new QGridLayout(information);

    Label1 = newLabel("Label1", "File Name");
    edtFileInput = newEdit("edtFileInput");
    btnOpenFile = NewButton("btnOpenFile", "Open", &TForm1::btnOpenFileClick);
    btnClearFile = NewButton("btnClearFile", "Clear", &TForm1::btnClearFileClick);
    // The payment files opened last, to choose from.
    btnRecentFiles = new QToolButton;
    btnRecentFiles->setObjectName("btnRecentFiles");
    btnRecentFiles->setArrowType(Qt::DownArrow);
    btnRecentFiles->setPopupMode(QToolButton::InstantPopup);
    btnRecentFiles->setToolTip("A masked copy of the payment file, its comparison with another file, and the "
                               "payment files opened last");
    auto* recent = new QMenu(btnRecentFiles);
    recent->setObjectName("mnuRecentFiles");
    connect(recent, &QMenu::aboutToShow, this, [this, recent] { FillRecentFilesMenu(recent); });
    btnRecentFiles->setMenu(recent);
    auto* openButtons = new QHBoxLayout;
    openButtons->setSpacing(0);
    openButtons->addWidget(btnOpenFile);
    openButtons->addWidget(btnRecentFiles);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(edtFileInput, 0, 1);
    grid->addLayout(openButtons, 0, 2);
    grid->addWidget(btnClearFile, 0, 3);

    auto* output = new QGroupBox("Output File");
    output->setObjectName("GroupBox2");
    auto* outputGrid = new QGridLayout(output);
    rdoReplace = new QRadioButton("Replace");
    rdoReplace->setObjectName("rdoReplace");
    rdoReplace->setChecked(true);
    rdoNew = new QRadioButton("New File");
    rdoNew->setObjectName("rdoNew");
    connect(rdoReplace, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            rdoReplaceClick();
    });
    connect(rdoNew, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            rdoNewClick();
    });
    auto* modes = new QHBoxLayout;
    modes->addWidget(rdoReplace);
    modes->addSpacing(24);
    modes->addWidget(rdoNew);
    modes->addStretch(1);
    outputGrid->addLayout(modes, 0, 0, 1, 4);

    Label3 = newLabel("Label3", "New File Name");
    edtNewFile = newEdit("edtNewFile");
    btnOpenNew = NewButton("btnOpenNew", "Open", &TForm1::btnOpenNewClick);
    btnClearNew = NewButton("btnClearNew", "Clear", &TForm1::btnClearNewClick);
    addFileRow(outputGrid, 1, {Label3, edtNewFile, btnOpenNew, btnClearNew});
    EnableNewFileControls(true, false);

    Label7 = newLabel("Label7", "Zip File Name");
    edtZip = newEdit("edtZip");
    btnOpenZip = NewButton("btnOpenZip", "Open", &TForm1::btnOpenZipClick);
    btnClearZip = NewButton("btnClearZip", "Clear", &TForm1::btnClearZipClick);
    addFileRow(outputGrid, 2, {Label7, edtZip, btnOpenZip, btnClearZip});
    outputGrid->setColumnStretch(1, 1);

    grid->addWidget(output, 1, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    // The file boxes need no more than a comfortable path's width on a wide screen.
    information->setMaximumWidth(900);

    auto* row = new QWidget;
    auto* rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->addWidget(information, 1);
    rowLayout->addStretch(0);
    return row;
}

} // namespace tallivo
