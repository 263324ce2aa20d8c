#include "ui/settings/appearance_apply.h"

#include "core/settings/appearance_rules.h"
#include "ui/common/app_style.h"

#include <QApplication>
#include <QSplitter>
#include <QTextEdit>

void applyAppearanceToWindow(const AppearanceSettings &a, const AppearanceTargets &t)
{
    if (t.frameColors)
        t.frameColors->outer = a.backgroundColor;
    QApplication::setPalette(appearancePalette(QApplication::palette(), a));

    for (QTextEdit *pane : t.learningPanes) {
        pane->setFont(a.font);
        QPalette pal = pane->palette();
        pal.setColor(QPalette::Base, a.contentsBackgroundColor);
        pal.setColor(QPalette::Text, a.fontColor);
        pane->setPalette(pal);
        // Text typed or set later takes the colour too.
        pane->setTextColor(a.fontColor);
    }
    for (QWidget *w : t.contentsWidgets) {
        QPalette pal = w->palette();
        pal.setColor(QPalette::Base, a.contentsBackgroundColor);
        pal.setColor(QPalette::Window, a.contentsBackgroundColor);
        w->setPalette(pal);
    }
    if (t.cardSplitter)
        t.cardSplitter->setOrientation(a.vertical ? Qt::Vertical : Qt::Horizontal);
    if (t.window)
        t.window->update();
}
