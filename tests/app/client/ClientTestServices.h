#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

#include "project/DocumentWriter.h"
#include "project/Preferences.h"
#include "project/ProjectDocument.h"
#include "shell/PageServices.h"
#include "shell/QtText.h"
#include "support/ScriptedPrompt.h"
#include "toolkit/FieldRegistry.h"

namespace tidewell::testing {

// What a page needs of the main window, with a scripted prompt, and a record
// of the requests the page sent.
struct ClientTestServices {
  ScriptedPrompt prompt;
  app::FieldRegistry fields;
  MemoryPreferences preferences;
  QWidget window;
  app::PageServices services{prompt, fields, preferences, &window, {}, {}, {}, {}};
  std::vector<WString> iconRequests;
  int variablesShown = 0;

  ClientTestServices() {
    services.setClientIcons = [this](const WString& source) { iconRequests.push_back(source); };
    services.showVariables = [this] { ++variablesShown; };
  }

  // The balloons shown so far: field and text.
  std::vector<std::pair<FieldId, WString>> Balloons() const {
    std::vector<std::pair<FieldId, WString>> out;
    for (const PromptEvent& e : prompt.Of(PromptEvent::Kind::Balloon)) out.emplace_back(e.field, e.text);
    return out;
  }
  std::vector<PromptEvent> Messages() const { return prompt.Of(PromptEvent::Kind::Message); }
};

// Runs `act` on the next modal dialog of type T once it is open (its exec()
// has started), then lets the test go on.
template <typename T>
void WhenModalOpens(std::function<void(T*)> act) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      act(dialog);
    }
  });
  timer->start();
}

// The project's text as it would be saved.
inline WString ProjectText(const ProjectDocument& document) {
  WString text;
  WriteDocumentText(document, text, XmlForm::ProjectForm);
  return text;
}

// Where two texts first differ, with some text around it, so a failed
// comparison of whole documents shows the place.
inline QString AroundFirstDifference(const WString& text, const WString& other) {
  size_t at = 0;
  while (at < text.size() && at < other.size() && text[at] == other[at]) ++at;
  const size_t from = at < 40 ? 0 : at - 40;
  return app::ToQString(text.substr(from, 80));
}

}  // namespace tidewell::testing
