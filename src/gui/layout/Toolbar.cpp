// The toolbar: the command buttons under their captions, on the window's purple band.
#include "gui/TForm1.h"

#include <QPushButton>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace tallivo {

void TForm1::CreateToolBar()
{
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    ToolBar1->setIconSize(QSize(24, 24));
    ToolBar1->setStyleSheet("QToolBar#ToolBar1 { background-color: rgb(128, 0, 128); border: none; padding: 3px; "
                            "spacing: 3px; }"
                            "QToolBar#ToolBar1 QToolButton { color: white; border: 1px solid transparent; "
                            "border-radius: 3px; padding: 1px 4px; }"
                            "QToolBar#ToolBar1 QToolButton:hover { background-color: rgb(160, 48, 160); "
                            "border-color: rgb(210, 150, 210); }"
                            "QToolBar#ToolBar1 QToolButton:pressed { background-color: rgb(96, 0, 96); }"
                            // The button that has the keyboard's focus shows it.
                            "QToolBar#ToolBar1 QToolButton:focus { border: 1px dashed white; }"
                            // While a command runs the buttons look as unavailable as they are.
                            "QToolBar#ToolBar1 QToolButton:disabled { color: rgb(176, 120, 176); }");
    addToolBar(Qt::TopToolBarArea, ToolBar1);

    // Captions: "CordiaUPC", bold, 19 pixels; a narrow font stands in where it is missing.
    QFont captionFont = font();
    captionFont.setFamilies(
        {"CordiaUPC", "DejaVu Sans Condensed", "Liberation Sans Narrow", "Arial Narrow", font().family()});
    captionFont.setPixelSize(19);
    captionFont.setBold(true);

    const auto addButton = [&](const char* name, const char* caption, QStyle::StandardPixmap icon,
                               void (TForm1::*handler)()) {
        auto* button = new QToolButton(ToolBar1);
        button->setObjectName(name);
        button->setText(caption);
        button->setIcon(style()->standardIcon(icon));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setFont(captionFont);
        button->setMinimumSize(120, 47);
        button->setFocusPolicy(Qt::TabFocus);
        connect(button, &QToolButton::clicked, this, handler);
        ToolBar1->addWidget(button);
        return button;
    };
    ToolButton1 = addButton("ToolButton1", "Exit ", QStyle::SP_DialogCloseButton, &TForm1::ToolButton1Click);
    ToolButton3 =
        addButton("ToolButton3", "       Tallivo       ", QStyle::SP_DialogApplyButton, &TForm1::ToolButton3Click);
    ToolButton4 = addButton("ToolButton4", "Report", QStyle::SP_FileDialogDetailedView, &TForm1::ToolButton4Click);
    ToolButton5 = addButton("ToolButton5", "Clear Form", QStyle::SP_DialogResetButton, &TForm1::ToolButton5Click);
    WithShortcut(ToolButton1, QKeySequence(Qt::CTRL | Qt::Key_Q), "Exit the program");
    WithShortcut(ToolButton3, QKeySequence(Qt::CTRL | Qt::Key_G),
                 "Check the payment file and, when it is clean, seal it: the hash value, the output file and "
                 "the zip archive");
    WithShortcut(ToolButton4, QKeySequence(Qt::CTRL | Qt::Key_R), "Preview and print the payment reports of the seal");
    WithShortcut(ToolButton5, QKeySequence(Qt::CTRL | Qt::Key_L), "Empty every box, the result and the findings");

    MCLFee = new QPushButton("Calculate Tier Rate Report", ToolBar1);
    MCLFee->setObjectName("MCLFee");
    MCLFee->setFont(captionFont);
    MCLFee->setMinimumSize(209, 47);
    connect(MCLFee, &QPushButton::clicked, this, &TForm1::MCLFeeClick);
    ToolBar1->addWidget(MCLFee);
    WithShortcut(MCLFee, QKeySequence(Qt::CTRL | Qt::Key_T),
                 "Check the payment file and show the tier-rate fee report of its credits to other banks");

    ToolButtonAbout = addButton("ToolButtonAbout", "About", QStyle::SP_MessageBoxInformation, &TForm1::ShowAbout);
    WithShortcut(ToolButtonAbout, QKeySequence(Qt::Key_F1),
                 "About Tallivo: its version and the licences of the "
                 "libraries it uses");
}

} // namespace tallivo
