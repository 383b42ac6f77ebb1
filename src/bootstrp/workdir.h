// The run's private work directory under TEMP, TMP, or the root of the
// writable drive with the most free space: "<base>\KVSETUPn.TMP", n from 0
// to 9, after a sweep of the ones earlier runs left behind.
#pragma once

// True when a new directory was made; its path is then in WorkDir. False
// after message B111.
bool CreateWorkDirectory();
