  ; The panel reads and writes KELT_9R.ini in its working directory, and
  ; users cannot write to the program folder: both shortcuts start in the
  ; settings folder instead. CreateShortCut takes the current output path as
  ; the start-in folder.
  SetOutPath "$DOCUMENTS\KELT-9R"
  CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\KELT-9R Control Panel.lnk" "$INSTDIR\keltpanel.exe"
  CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\KELT-9R Terminal.lnk" "$INSTDIR\keltterm.exe"
  SetOutPath "$INSTDIR"
