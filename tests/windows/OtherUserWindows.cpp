#include "OtherUser.h"

OtherUser::OtherUser() : whyNot ("Windows has no setpriv to run programs as another user") {}
