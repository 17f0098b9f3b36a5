#include "ClientStart.h"

#include "ClientResourceIds.h"
#include "ClientResources.h"
#include "Schedule.h"
#include "UpdateRun.h"
#include "WindowsRegistry.h"

namespace tidewatch {

bool ThisStartChecks(const ClientStrings& strings, std::u16string_view argument) {
  const engine::CheckSchedule schedule = engine::ReadCheckSchedule(strings.Get(TIDEWATCH_STR_CHECK_SCHEDULE));
  const std::u16string tag = strings.Get(TIDEWATCH_STR_CHECK_NOW);
  // Only a schedule that skips starts needs the count.
  if (schedule.everyNthStart <= 1 || (!tag.empty() && argument == tag)) return true;
  engine::ClientSettings settings;
  settings.appTitle = strings.Get(TIDEWATCH_STR_APP_TITLE);
  settings.companyName = strings.Get(TIDEWATCH_STR_COMPANY_NAME);
  const std::u16string key = engine::StateKey(settings);
  WindowsRegistry registry;
  const engine::StartDecision decision =
      engine::DecideStart(argument, tag, schedule, engine::ReadStarts(registry, key));
  engine::Failure ignored;
  // A count that cannot be stored makes every start check: never fewer checks.
  if (decision.startsToStore && !engine::WriteStarts(registry, key, *decision.startsToStore, ignored)) return true;
  return decision.check;
}

}  // namespace tidewatch
