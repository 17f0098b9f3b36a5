#pragma once

#include <string>

#include "text/WString.h"

namespace tidewell {

enum class MessageIcon { None, Error, Warning, Information, Question, Exclamation };
// ReloadOverwriteCancel: the question about a file another program changed;
// its answers are Yes (reload), No (overwrite) and Cancel.
enum class Buttons { Ok, YesNo, YesNoCancel, OkCancel, ReloadOverwriteCancel };
enum class Answer { Ok, Yes, No, Cancel };

// Stable names of the fields a validation balloon can point at, so that the
// desktop tool can place the balloon at the right widget. The core names them;
// the front ends map them.
using FieldId = std::string;

// How the core talks to the user. Each front end implements it: the desktop
// tool with dialogs and balloons, the command line with stderr and flags, the
// tests with a scripted fake that records everything shown.
class Prompt {
 public:
  virtual ~Prompt() = default;

  // A message box. `caption` and `text` are shown exactly as given.
  virtual void ShowMessage(const WString& caption, const WString& text, MessageIcon icon) = 0;
  // A message box whose text is followed by a detail line (what failed and
  // the system's reason). Without a front end's own form, the detail is
  // shown under the text, set off by an empty line.
  virtual void ShowDetailedMessage(const WString& caption, const WString& text,
                                   const WString& detail, MessageIcon icon) {
    ShowMessage(caption, detail.empty() ? text : text + u"\n\n" + detail, icon);
  }
  // A question in a message box; the answer is one of the buttons offered.
  virtual Answer Ask(const WString& caption, const WString& text, Buttons buttons,
                     MessageIcon icon) = 0;
  // The validation balloon at a field ("Invalid parameters", error icon) or the
  // information balloon ("Tidewell information") of a success.
  virtual void ShowBalloon(const FieldId& field, const WString& caption, const WString& text,
                           MessageIcon icon) = 0;
  // The status bar text ("Please wait... loading", "Ready").
  virtual void SetStatusText(const WString& text) = 0;
  // The wait cursor around long operations.
  virtual void SetBusy(bool busy) = 0;
};

// Captions and the balloon rules shared by every flow.
inline const WString kErrorCaption = u"Error";
inline const WString kInvalidParametersCaption = u"Invalid parameters";
inline const WString kInformationCaption = u"Tidewell information";

// A prompt that shows nothing and answers every question with its most
// cautious choice (No, or Cancel where offered). For callers with no user.
class SilentPrompt final : public Prompt {
 public:
  void ShowMessage(const WString&, const WString&, MessageIcon) override {}
  Answer Ask(const WString&, const WString&, Buttons buttons, MessageIcon) override {
    return buttons == Buttons::YesNo || buttons == Buttons::Ok ? Answer::No : Answer::Cancel;
  }
  void ShowBalloon(const FieldId&, const WString&, const WString&, MessageIcon) override {}
  void SetStatusText(const WString&) override {}
  void SetBusy(bool) override {}
};

// A prompt that passes everything to another one; a front end derives from
// it to change how one kind of message is shown.
class ForwardingPrompt : public Prompt {
 public:
  explicit ForwardingPrompt(Prompt& inner) : inner_(inner) {}

  void ShowMessage(const WString& caption, const WString& text, MessageIcon icon) override {
    inner_.ShowMessage(caption, text, icon);
  }
  void ShowDetailedMessage(const WString& caption, const WString& text, const WString& detail,
                           MessageIcon icon) override {
    inner_.ShowDetailedMessage(caption, text, detail, icon);
  }
  Answer Ask(const WString& caption, const WString& text, Buttons buttons,
             MessageIcon icon) override {
    return inner_.Ask(caption, text, buttons, icon);
  }
  void ShowBalloon(const FieldId& field, const WString& caption, const WString& text,
                   MessageIcon icon) override {
    inner_.ShowBalloon(field, caption, text, icon);
  }
  void SetStatusText(const WString& text) override { inner_.SetStatusText(text); }
  void SetBusy(bool busy) override { inner_.SetBusy(busy); }

 protected:
  Prompt& Inner() { return inner_; }

 private:
  Prompt& inner_;
};

// Shows the wait cursor for the life of the object.
class BusyScope {
 public:
  explicit BusyScope(Prompt& prompt) : prompt_(prompt) { prompt_.SetBusy(true); }
  ~BusyScope() { prompt_.SetBusy(false); }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  Prompt& prompt_;
};

}  // namespace tidewell
