// The status bar: the findings' count, and a long command's stage, progress and Cancel.
#include "gui/CommandRunner.h"
#include "gui/TForm1.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>

namespace tallivo {

void TForm1::CreateStatusArea()
{
    lblFindings = new QLabel;
    lblFindings->setObjectName("lblFindings");
    statusBar()->addWidget(lblFindings);
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        edtFilter->setFocus();
        edtFilter->selectAll();
    });

    // The progress of a long command, in the status bar while it runs.
    lblStage = new QLabel;
    lblStage->setObjectName("lblStage");
    progressBar = new QProgressBar;
    progressBar->setObjectName("progressBar");
    progressBar->setRange(0, 1000);
    progressBar->setMaximumWidth(260);
    btnCancel = new QPushButton("Cancel");
    btnCancel->setObjectName("btnCancel");
    btnCancel->setAutoDefault(false);
    connect(btnCancel, &QPushButton::clicked, this, [this] {
        m_runner->Cancel();
        ShowProgress();
    });
    for (QWidget* w : std::initializer_list<QWidget*>{lblStage, progressBar, btnCancel}) {
        statusBar()->addPermanentWidget(w);
        w->hide();
    }
    m_progressTimer = new QTimer(this);
    m_progressTimer->setInterval(100);
    connect(m_progressTimer, &QTimer::timeout, this, &TForm1::ShowProgress);
}

} // namespace tallivo
