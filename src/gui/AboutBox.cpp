#include "gui/AboutBox.h"

#include "common/Version.h"
#include "gui/TForm1.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace tallivo {

void ShowAboutBox(QWidget* parent)
{
    QDialog box(parent);
    box.setObjectName("AboutBox");
    box.setWindowTitle("About Tallivo");

    auto* icon = new QLabel;
    icon->setPixmap(TForm1::ProgramIcon().pixmap(64, 64));
    icon->setAlignment(Qt::AlignTop);
    auto* text = new QLabel;
    text->setObjectName("lblAbout");
    text->setTextFormat(Qt::RichText);
    text->setText(
        QStringLiteral("<h3>Tallivo %1</h3>"
                       "<p>Checks a bank's bulk payment files, seals clean files with a hash value and a zip "
                       "archive, and prints their payment reports.</p>"
                       "<p>Tallivo uses these libraries, each under its own licence:</p>"
                       "<table cellspacing='4'>"
                       "<tr><td>Qt %2</td><td>GNU Lesser General Public License, version 3</td></tr>"
                       "<tr><td>SQLite</td><td>public domain</td></tr>"
                       "<tr><td>libzip</td><td>BSD 3-clause licence</td></tr>"
                       "<tr><td>zlib</td><td>zlib licence</td></tr>"
                       "<tr><td>Mustache templates for C++ (kainjow)</td><td>Boost Software License, version 1.0</td></tr>"
                       "</table>")
            .arg(QString::fromLatin1(kVersion), QString::fromLatin1(qVersion())));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QPushButton* aboutQt = buttons->addButton("About Qt", QDialogButtonBox::HelpRole);
    aboutQt->setToolTip("The Qt libraries' own About box");
    buttons->button(QDialogButtonBox::Close)->setToolTip("Close the About box (Esc)");
    QObject::connect(aboutQt, &QPushButton::clicked, &box, [&box] { QMessageBox::aboutQt(&box); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);

    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addWidget(text, 1);
    auto* layout = new QVBoxLayout(&box);
    layout->addLayout(row);
    layout->addWidget(buttons);
    box.exec();
}

} // namespace tallivo
