// The pictures of the splash and of the main window's vendor strip, drawn at
// run time so that the program carries no image files.
#pragma once

#include <QByteArray>
#include <QPixmap>

QPixmap SplashPicture();
// The strip along the main window's left edge, `height` pixels tall.
QPixmap VendorStrip(int height);
// The program's icon: a clock gauge on the vendor's red, `size` pixels square.
QPixmap AppIconPicture(int size);
// A processor family logo by bitmap id (210 ... 236: 93 x 70, any other:
// 65 x 81), its top-left pixel in the colour the page makes transparent.
QPixmap ProcessorLogo(int bitmapId);
// The SDK maker's picture on the Options page, `size` pixels square.
QPixmap SdkMakerPicture(int size);
// The same icon as a scalable SVG document, for the desktop's icon theme.
QByteArray AppIconSvg();
