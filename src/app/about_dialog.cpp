#include "app/about_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/shell.h"

namespace veltrin {

TAbout::TAbout(Shell& shell, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("About"));
    setWindowTitle(QStringLiteral("About"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto* version = new QLabel(QString::fromLatin1(kAboutVersionText), this);
    version->setObjectName(QStringLiteral("VersionLabel"));
    QFont big = version->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    version->setFont(big);
    version->setAlignment(Qt::AlignCenter);
    layout->addWidget(version);

    auto* credits = new QLabel(
        QStringLiteral("Receiving station and internet gateway\nfor the Corvane shortwave pager system.\n\n"
                       "Written by the Brightfold team.\nThanks to all Corvane operators who sent test "
                       "transmissions."),
        this);
    credits->setObjectName(QStringLiteral("CreditsLabel"));
    credits->setAlignment(Qt::AlignCenter);
    layout->addWidget(credits);

    // Links go through the shell interface, not through the label's own
    // handler, so that tests and headless runs see every request.
    auto* links = new QLabel(QStringLiteral("<a href=\"%1\">%1</a><br><a href=\"%2\">%3</a>")
                                 .arg(QString::fromLatin1(kMakerHomePage), QString::fromLatin1(kMakerMail),
                                      QString::fromLatin1(kMakerMail).mid(7)),
                             this);
    links->setObjectName(QStringLiteral("LinksLabel"));
    links->setAlignment(Qt::AlignCenter);
    links->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    links->setOpenExternalLinks(false);
    connect(links, &QLabel::linkActivated, this,
            [&shell](const QString& link) { shell.openDocument(link.toStdString()); });
    layout->addWidget(links);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OKButton"));
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

}  // namespace veltrin
