// Fonts, icon and the small picture shared by the player's windows.
#pragma once

#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QStringList>
#include <QWidget>

namespace vornal::qt {

// Families tried in order: the games were laid out for the first; the IPA P fonts
// (fonts-ipafont-*) share its metrics, so the layout holds without it.
QStringList gothicFamilies();
QStringList minchoFamilies();

// A proportional Japanese Gothic / Mincho font of `pixels` height.
QFont gothicFont(int pixels);
QFont minchoFont(int pixels);

// The player's icon, drawn rather than shipped so it scales to any size.
QPixmap playerPixmap(int size);
QIcon playerIcon();

// Moves a shown window so that its frame is centred on its screen.
void centreOnScreen(QWidget& window);

}  // namespace vornal::qt
