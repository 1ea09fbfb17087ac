#include "app/setup_dialog.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace veltrin {

TSetupForm::TSetupForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SetupForm"));
    setWindowTitle(QStringLiteral("Setup"));
    setModal(false);

    auto* layout = new QVBoxLayout(this);
    auto* pages = new QLabel(QStringLiteral("Settings are read from VELTRIN.INI in the working directory."), this);
    pages->setObjectName(QStringLiteral("PageControl1"));
    layout->addWidget(pages);

    auto* row = new QHBoxLayout;
    auto addButton = [&](const char* name, const char* text, void (TSetupForm::*handler)()) {
        auto* button = new QPushButton(QString::fromLatin1(text), this);
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, handler);
        row->addWidget(button);
    };
    addButton("SetupOK", "OK", &TSetupForm::SetupOKClick);
    addButton("SetupApply", "Apply", &TSetupForm::SetupApplyClick);
    addButton("SetupSave", "Save", &TSetupForm::SetupSaveClick);
    addButton("SetupCancel", "Cancel", &TSetupForm::SetupCancelClick);
    layout->addLayout(row);
}

void TSetupForm::holdDisplay(int ticks)
{
    if (actions_.setDisplayHold)
        actions_.setDisplayHold(ticks);
}

void TSetupForm::SetupOKClick()
{
    if (actions_.apply)
        actions_.apply();
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
    hide();
    holdDisplay(0);
}

void TSetupForm::SetupApplyClick()
{
    holdDisplay(3000);
    if (actions_.apply)
        actions_.apply();
}

void TSetupForm::SetupSaveClick()
{
    holdDisplay(3000);
    if (actions_.apply)
        actions_.apply();
    if (actions_.save)
        actions_.save();
}

void TSetupForm::SetupCancelClick()
{
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
    hide();
    holdDisplay(0);
}

void TSetupForm::closeEvent(QCloseEvent* event)
{
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
    holdDisplay(0);
    event->accept();
}

}  // namespace veltrin
