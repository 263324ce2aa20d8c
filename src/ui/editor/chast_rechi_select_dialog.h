#pragma once

#include "ui/editor/chast_rechi_select_form.h"

class iniReader;
class QListWidgetItem;

// "Часть речи": picks a section label such as "[N]" from the part-of-speech
// list. Made for one use; the label goes into the caller's string when the
// dialog is accepted. Remembers its place under SPEECH_PART_FORM.
class _chastRechiSelectForm : public chastRechiSelectForm
{
    Q_OBJECT
public:
    _chastRechiSelectForm(QWidget *parent, QString &result, iniReader &settings);

public slots:
    void slot_pushButton1_clicked();
    void slot_pushButton2_clicked();
    void slot_listBox1_clicked(QListWidgetItem *item);
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void storeGeometry();

    QString &m_result;
    iniReader &m_settings;
};

// "[N] Существительное" gives "[N]"; a text without "]" gives nothing.
QString sectionLabelOf(const QString &entry);
