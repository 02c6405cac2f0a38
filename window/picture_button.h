#pragma once
// A push button that shows one of the drawn pictures instead of a styled frame. It stays a real
// QPushButton (default button, keyboard focus, accessibility), only its painting differs.

#include <QPixmap>
#include <QPushButton>
#include <functional>

class PictureButton : public QPushButton {
  Q_OBJECT
 public:
  // `picture` draws the button for a device pixel ratio (for example artwork::startButton);
  // `text` is what assistive tools read. The button takes the picture's size.
  PictureButton(std::function<QPixmap(qreal dpr)> picture, const QString& text,
                QWidget* parent = nullptr);

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::function<QPixmap(qreal)> picture_;
};
