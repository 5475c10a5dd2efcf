#include "app/CAboutDialog.h"

#include "app/AppIcon.h"
#include "version/BuildVersion.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace korvane {

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle("About Korvane");

    auto* icon = new QLabel(this);
    icon->setObjectName("icon");
    icon->setPixmap(AppIcon::ApplicationPixmap(32));
    auto* version = new QLabel(QString(kVersionPrefix) + BuildVersion::Number(), this);
    version->setObjectName("version");
    version->setTextFormat(Qt::PlainText);
    auto* commit = new QLabel(QString("Built from commit ") + BuildVersion::Commit(), this);
    commit->setObjectName("commit");
    commit->setTextFormat(Qt::PlainText);
    commit->setVisible(*BuildVersion::Commit() != '\0');
    auto* credit = new QLabel(kCreditLine, this);
    credit->setObjectName("credit");
    credit->setTextFormat(Qt::PlainText);
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("1");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
    layout->addWidget(version, 0, 1);
    layout->addWidget(commit, 1, 1);
    layout->addWidget(credit, 2, 1);
    layout->addWidget(ok, 0, 2, Qt::AlignTop);
    layout->setHorizontalSpacing(16);
    layout->setColumnStretch(1, 1);
    ok->setFocus();
}

} // namespace korvane
