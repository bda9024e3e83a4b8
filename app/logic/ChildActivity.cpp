#include "app/logic/ChildActivity.h"

TChildActivity TChildBusy::Activity(bool kivReading, bool kivWriting) const
{
  if (kivReading)
    return TChildActivity::Reading;
  if (kivWriting)
    return TChildActivity::Writing;
  return FOwn;
}

TCloseAction TChildBusy::CloseAction(bool kivReading, bool kivWriting, bool modified) const
{
  const TChildActivity activity = Activity(kivReading, kivWriting);
  return CloseQueryAction(kivReading || FOwn == TChildActivity::Reading,
                          activity == TChildActivity::Writing || activity == TChildActivity::Printing,
                          modified);
}
