#include "app/AboutDialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "app/AppIcon.h"
#include "trx/Version.h"

namespace trx {

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(QStringLiteral("QL-TRX900 Setup Software"));
    setWindowIcon(applicationIcon());

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("iconLabel"));
    icon->setPixmap(applicationIcon().pixmap(32, 32));
    icon->setAccessibleName(QStringLiteral("QL-TRX900 Setup Software icon"));

    auto* version = new QLabel(
        QStringLiteral("QL-TRX900 Setup Software Version ") + QLatin1String(kVersion), this);
    version->setObjectName(QStringLiteral("versionLabel"));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setAccessibleName(QStringLiteral("OK"));
    ok->setDefault(true);
    ok->setMinimumWidth(75);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setHorizontalSpacing(16);
    layout->setVerticalSpacing(8);
    layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(version, 0, 1, Qt::AlignVCenter);
    layout->addWidget(ok, 0, 2, Qt::AlignTop);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace trx
