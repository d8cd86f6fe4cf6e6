  ; The settings folder holds KELT_9R.ini and the user's scripts. It is made
  ; even when no shortcuts are wanted, and it outlives the programs. The
  ; installer runs as administrator, so the folder would otherwise belong to
  ; the administrator alone: every user of the bench PC gets write access.
  CreateDirectory "$DOCUMENTS\KELT-9R"
  nsExec::ExecToLog '"$SYSDIR\icacls.exe" "$DOCUMENTS\KELT-9R" /grant *S-1-5-32-545:(OI)(CI)M'
  Pop $0
  ; The sample is copied where File > Open starts, never over the user's own.
  IfFileExists "$DOCUMENTS\KELT-9R\sample.scp" +2 0
    CopyFiles /SILENT "$INSTDIR\sample.scp" "$DOCUMENTS\KELT-9R"
