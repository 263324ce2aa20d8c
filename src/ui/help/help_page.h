#pragma once

#include "ui/help/help_page_form.h"

#include <QString>

class Interaction;
class QUrl;

// The "Справка" tab: four topics chosen by four exclusive buttons, shown in
// a browser that can be zoomed. Paragraphs of the parts-of-speech topic open
// and close their continuation when their link is clicked; a topic shown
// again starts closed.
class HelpPage : public HelpPage_Form
{
    Q_OBJECT
public:
    // `topic` is the stored one; anything but 0..3 opens the About page.
    // `ui` shows the program-error boxes (caption "Справка") and Qt's about
    // box.
    HelpPage(int topic, Interaction &ui, QWidget *parent = nullptr);

    // The topic shown, 0..3: what the host stores at exit.
    int topic() const { return m_topic; }
    // The topic's text as shown, with its opened continuations.
    const QString &shownText() const { return m_html; }

public slots:
    void buttonGroup_clicked(int id);
    void slot_linkClicked(const QString &link);
    void slot_scale_increment();
    void slot_scale_decrement();

private slots:
    void slot_anchorClicked(const QUrl &url);

private:
    void showTopic(int topic);
    void showText(bool keepScrollPosition);

    Interaction &m_ui;
    int m_topic = 3;
    QString m_html;
};
