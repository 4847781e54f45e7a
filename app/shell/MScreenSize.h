#pragma once

class QWidget;

// The usable screen area and the conversion between twips and pixels.
class MScreenSize {
public:
    // The available area of the screen the widget is on (the primary screen without one), in
    // pixels: what the desktop leaves free of panels and task bars.
    static void GetWorkArea(int& left, int& top, int& height, int& width,
                            const QWidget* widget = nullptr);

    // Twips per pixel from the screen's logical resolution (15 at 96 dots per inch).
    static int TwipsPerPixelX();
    static int TwipsPerPixelY();

    // A size in twips as whole pixels: divided as whole numbers by the vertical factor.
    static int twipsToPixels(int twips);
    static int pixelsToTwipsX(int pixels) { return pixels * TwipsPerPixelX(); }
    static int pixelsToTwipsY(int pixels) { return pixels * TwipsPerPixelY(); }
};
