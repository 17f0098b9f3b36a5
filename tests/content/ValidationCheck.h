#pragma once

#include <gtest/gtest.h>

#include <string_view>

#include "support/ScriptedPrompt.h"

namespace tidewell::testing {

// The outcome of one validation: with `failedAt` empty it passed and showed
// nothing; otherwise it failed and showed exactly the one validation balloon
// with `message` at that field.
inline void ExpectValidation(const ScriptedPrompt& prompt, bool passed, const FieldId& failedAt,
                             std::u16string_view message) {
  if (failedAt.empty()) {
    EXPECT_TRUE(passed);
    EXPECT_TRUE(prompt.Events().empty());
    return;
  }
  EXPECT_FALSE(passed);
  ASSERT_EQ(prompt.Events().size(), 1u);
  const PromptEvent& balloon = prompt.Events()[0];
  EXPECT_EQ(balloon.kind, PromptEvent::Kind::Balloon);
  EXPECT_EQ(balloon.field, failedAt);
  EXPECT_EQ(balloon.caption, u"Invalid parameters");
  EXPECT_EQ(balloon.text, message);
  EXPECT_EQ(balloon.icon, MessageIcon::Error);
}

}  // namespace tidewell::testing
