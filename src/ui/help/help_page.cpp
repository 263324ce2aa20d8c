#include "ui/help/help_page.h"

#include "core/help/help_links.h"
#include "core/help/help_texts.h"
#include "ui/common/interaction.h"

#include <QScrollBar>
#include <QUrl>

HelpPage::HelpPage(int topic, Interaction &ui, QWidget *parent) : HelpPage_Form(parent), m_ui(ui)
{
    buttonGroup1->setId(pushButton1_speechParts, 0);
    buttonGroup1->setId(pushButton2_Description, 1);
    buttonGroup1->setId(pushButton3_keySecuence, 2);
    buttonGroup1->setId(pushButton4_Development, 3);
    buttonGroup1->setExclusive(true);

    myQTextBrowser1->setOpenLinks(false);
    myQTextBrowser1->document()->setDefaultStyleSheet(
        QStringLiteral("p { text-indent: 30px; margin-left: 6px; margin-right: 6px; "
                       "margin-top: 0px; margin-bottom: 0px; }"));
    myQTextBrowser1->zoomIn(2);

    if (topic < 0 || topic >= kHelpTopicCount)
        topic = kAboutTopic;
    buttonGroup1->button(topic)->setChecked(true);
    showTopic(topic);

    connect(buttonGroup1, &QButtonGroup::idClicked, this, &HelpPage::buttonGroup_clicked);
    connect(myQTextBrowser1, &QTextBrowser::anchorClicked, this, &HelpPage::slot_anchorClicked);
    connect(toolButton1, &QToolButton::clicked, this, &HelpPage::slot_scale_increment);
    connect(toolButton2, &QToolButton::clicked, this, &HelpPage::slot_scale_decrement);
}

void HelpPage::buttonGroup_clicked(int id)
{
    if (id < 0 || id >= kHelpTopicCount)
        return;
    // Also when called directly, the button of the topic is the one on.
    if (QAbstractButton *b = buttonGroup1->button(id))
        b->setChecked(true);
    showTopic(id);
}

void HelpPage::showTopic(int topic)
{
    m_topic = topic;
    m_html = helpTopicText(topic);
    showText(false);
}

void HelpPage::showText(bool keepScrollPosition)
{
    QScrollBar *bar = myQTextBrowser1->verticalScrollBar();
    const int position = bar->value();
    myQTextBrowser1->clear();
    myQTextBrowser1->setHtml(m_html);
    if (keepScrollPosition) {
        // Lay the text out now, so the range is known before the position
        // is put back and the clicked paragraph stays where it was.
        myQTextBrowser1->document()->size();
        bar->setValue(position);
    }
}

void HelpPage::slot_anchorClicked(const QUrl &url)
{
    // Our links are all "#name"; a browser may hand them over resolved.
    slot_linkClicked(url.hasFragment() ? QLatin1Char('#') + url.fragment(QUrl::FullyDecoded)
                                       : url.toString());
}

void HelpPage::slot_linkClicked(const QString &link)
{
    switch (followHelpLink(m_topic, link, m_html)) {
    case HelpLinkOutcome::Ignored:
        return;
    case HelpLinkOutcome::Toggled:
        showText(true);
        return;
    case HelpLinkOutcome::AboutQt:
        m_ui.showAboutQt(QStringLiteral("Изучение слов"));
        return;
    case HelpLinkOutcome::LinkNotFound:
        m_ui.showCritical(helpLinkNotFoundMessage());
        return;
    case HelpLinkOutcome::MarkerMissing:
        m_ui.showCritical(helpMarkerMissingMessage());
        return;
    }
}

void HelpPage::slot_scale_increment()
{
    myQTextBrowser1->zoomIn(2);
}

void HelpPage::slot_scale_decrement()
{
    myQTextBrowser1->zoomOut(2);
}
