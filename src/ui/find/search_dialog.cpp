#include "ui/find/search_dialog.h"
#include "ui/common/window_placement.h"

#include "ui/common/interaction.h"

#include <QIcon>

VSearchDialog::VSearchDialog(QWidget *parent, DictionarySearch &search, Interaction &ui)
    : SearchDialog(parent), m_search(search), m_ui(ui)
{
    setWindowIcon(QIcon(QStringLiteral("icons:Caption_icon.png")));
    keepOnScreen(this);

    const QStringList &history = m_search.history();
    for (auto it = history.crbegin(); it != history.crend(); ++it)
        comboBox1->addItem(*it);

    const SearchButtonStates &buttons = m_search.buttons();
    // The two radio buttons exclude each other, so only the one that is on
    // can be set.
    if (buttons.radioButton2 && !buttons.radioButton1)
        radioButton2->setChecked(true);
    else
        radioButton1->setChecked(true);
    checkBox1->setChecked(buttons.checkBox1);
    checkBox2->setChecked(buttons.checkBox2);

    connect(buttonOk, &QPushButton::clicked, this, &VSearchDialog::slot_accept);
    connect(buttonCancel, &QPushButton::clicked, this, &VSearchDialog::reject);
    comboBox1->setFocus();
}

void VSearchDialog::slot_accept()
{
    SearchButtonStates buttons;
    buttons.radioButton1 = radioButton1->isChecked();
    buttons.radioButton2 = radioButton2->isChecked();
    buttons.checkBox1 = checkBox1->isChecked();
    buttons.checkBox2 = checkBox2->isChecked();
    if (!m_search.accept(comboBox1->currentText(), buttons)) {
        m_ui.showWarning(DictionarySearch::emptyTextWarning());
        return;
    }
    accept();
}
