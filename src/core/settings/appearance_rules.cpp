#include "core/settings/appearance_rules.h"

#include <algorithm>

QString preferredLearningFamily()
{
    return QStringLiteral("Arial Unicode MS");
}

QColor derivedContentsBackground(const QColor &bg)
{
    return QColor((bg.red() + 85) / 2, (bg.green() + 170) / 2, (bg.blue() + 255) / 2);
}

QFont defaultLearningFont(const QFont &applicationFont, const QStringList &installedFamilies)
{
    QFont font = applicationFont;
    if (installedFamilies.contains(preferredLearningFamily()))
        font.setFamily(preferredLearningFamily());
    font.setPointSize(14);
    font.setWeight(QFont::Bold);
    return font;
}

AppearanceSettings defaultAppearance(const AppearanceSettings &current,
                                     const QFont &applicationFont,
                                     const QStringList &installedFamilies,
                                     const QColor &initialBackground)
{
    AppearanceSettings d;
    d.font = defaultLearningFont(applicationFont, installedFamilies);
    d.fontColor = QColor(0, 0, 127);
    d.backgroundColor = initialBackground;
    d.contentsBackgroundColor = derivedContentsBackground(initialBackground);
    d.showPartsNums = false;
    d.showSpeechParts = false;
    d.flashIfWrong = false;
    d.vertical = true;
    d.numRightLearn = 3;
    d.frameColor = current.frameColor;
    d.settingsPage = current.settingsPage;
    return d;
}

QString fontDescription(const QFont &font)
{
    // æ ð ŋ ɔ θ ʒ ʧ
    static const QString symbols = QString(QChar(0x00E6)) + QChar(0x00F0) + QChar(0x014B) +
                                   QChar(0x0254) + QChar(0x03B8) + QChar(0x0292) + QChar(0x02A7);
    return QStringLiteral("%1, %2 [%3]").arg(font.family()).arg(font.pointSize()).arg(symbols);
}

QColor hoverBackground(const QColor &c)
{
    constexpr int shade = 15;
    return QColor(std::max(0, c.red() - shade), std::max(0, c.green() - shade),
                  std::max(0, c.blue() - shade));
}

QPalette appearancePalette(const QPalette &current, const AppearanceSettings &a)
{
    // Built from the button colour so the bevels and the text colours of
    // buttons and windows follow it; a dark page would otherwise keep black
    // labels on it.
    QPalette p(a.backgroundColor, a.backgroundColor);
    const QColor pageText = readableTextColor(a.backgroundColor);
    const QColor contentsText = readableTextColor(a.contentsBackgroundColor);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::WindowText, pageText);
        p.setColor(group, QPalette::ButtonText, pageText);
        p.setColor(group, QPalette::Base, a.contentsBackgroundColor);
        p.setColor(group, QPalette::AlternateBase, hoverBackground(a.contentsBackgroundColor));
        p.setColor(group, QPalette::Text, contentsText);
    }
    QColor disabledText = pageText;
    disabledText.setAlpha(128);
    p.setColor(QPalette::Disabled, QPalette::WindowText, disabledText);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, disabledText);
    QColor disabledContentsText = contentsText;
    disabledContentsText.setAlpha(128);
    p.setColor(QPalette::Disabled, QPalette::Base, a.contentsBackgroundColor);
    p.setColor(QPalette::Disabled, QPalette::Text, disabledContentsText);

    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        for (QPalette::ColorRole role :
             {QPalette::Highlight, QPalette::HighlightedText, QPalette::Link, QPalette::LinkVisited,
              QPalette::ToolTipBase, QPalette::ToolTipText})
            p.setColor(group, role, current.color(group, role));
    return p;
}
