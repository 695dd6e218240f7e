#pragma once
// A click that moves the focus into a line edit puts the cursor where it
// lands and so undoes a selection made on entering the field. This filter
// keeps that selection for the entering click; later clicks work as usual.
#include <QObject>

class QLineEdit;

namespace corvenna {

class TEntrySelectionKeeper : public QObject {
 public:
  using QObject::QObject;

  void Watch(QLineEdit* field);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The field the mouse has just entered, until its first press.
  QObject* enteredByClick_ = nullptr;
};

}  // namespace corvenna
