// A picture box: shows one picture, drawn from the bitmap of its size for the
// screen's device pixel ratio (1 or 2; others are scaled from the nearest), so
// it stays crisp on high-density screens.
#pragma once

#include <QIcon>
#include <QSize>
#include <QString>
#include <QWidget>

// A picture: its name, which names what it shows, and its size in (logical)
// pixels. Its bitmaps are read when it is first drawn (a picture that is
// never shown is never read), and shared by every picture of that name.
struct PictureImage {
  QSize size;
  QString name;

  // The program's picture of this name (PictureIcon); null for no name.
  QIcon Icon() const;

  friend bool operator==(const PictureImage& a, const PictureImage& b) {
    return a.name == b.name && a.size == b.size;
  }
};

// The program's picture of that name (resources/pictures) at `size`.
PictureImage ProgramPicture(const QString& name, QSize size);

class Picture : public QWidget {
  Q_OBJECT
 public:
  explicit Picture(QWidget* parent);

  const PictureImage& Image() const { return picture_; }
  // Copies `picture` into this box and repaints.
  void SetPicture(const PictureImage& picture);

  // Centred in the box, or at its top-left corner.
  void SetCenter(bool center);
  // The box takes the picture's size whenever it gets a picture.
  void SetAutoSize(bool auto_size);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  PictureImage picture_;
  bool center_ = false;
  bool auto_size_ = false;
};
