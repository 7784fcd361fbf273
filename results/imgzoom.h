#pragma once
// Turning a picture by any angle, a picture box that shows one picture, and the zoom window
// that shows a picture at its natural size.
#include <QColor>
#include <QDialog>
#include <QImage>
#include <QWidget>

#include <functional>

class QLabel;

// Turns the top-left Width x Height pixels of Source by Angle radians, pixel by pixel, into a new
// picture, and sets Width and Height to its size. Pixels of the new picture that no source pixel
// reaches (row 0 of a quarter turn) take the background. Source is left as it was.
QImage RotateBitmap(
    const QImage& Source, int& Width, int& Height, double Angle, const QColor& Background = Qt::black);

// A picture box: shows Picture at its top-left corner and reports mouse moves over it.
class TPictureBox : public QWidget {
    Q_OBJECT
public:
    explicit TPictureBox(QWidget* parent = nullptr);

    const QImage& Picture() const { return m_picture; }
    // With AutoSize the box takes the picture's size.
    void SetPicture(const QImage& picture);
    bool AutoSize = false;
    // Mouse position in the box, while the mouse moves over it (no button needed).
    std::function<void(TPictureBox* sender, int x, int y)> OnMouseMove;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QImage m_picture;
};

class TfrmImgZoom : public QDialog {
    Q_OBJECT
public:
    explicit TfrmImgZoom(QWidget* owner = nullptr);
    TPictureBox* Image1 = nullptr;
    // Takes the picture and sizes the window to it.
    void SetPicture(const QImage& picture);
};

// Shows the picture of a picture control enlarged to its natural size, in a modal window centred
// on the control's window.
void ShowImageZoom(const QLabel* Image);
// Shows a bitmap in a modal window centred on the screen; the window is as large as the bitmap.
void ShowBitmapZoom(const QImage& Bitmap, QWidget* owner = nullptr);
