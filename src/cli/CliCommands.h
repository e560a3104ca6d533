// The commands of tessaro-card, one function each; every one returns the
// exit status (0 done, 1 refused, failed or aborted, 2 wrong usage).
#pragma once

class CCliSession;

int CmdDevices(CCliSession& session);
int CmdMkImage(CCliSession& session);
int CmdInfo(CCliSession& session);
int CmdFormat(CCliSession& session);
int CmdDelete(CCliSession& session);
int CmdRename(CCliSession& session);
int CmdPlaylist(CCliSession& session);
int CmdWrite(CCliSession& session);
int CmdRead(CCliSession& session);
int CmdCheck(CCliSession& session);
int CmdConvert(CCliSession& session);
int CmdFrame(CCliSession& session);
int CmdBackup(CCliSession& session);
int CmdRestore(CCliSession& session);
int CmdClone(CCliSession& session);
int CmdProbe(CCliSession& session);
int CmdScan(CCliSession& session);
int CmdRecover(CCliSession& session);
