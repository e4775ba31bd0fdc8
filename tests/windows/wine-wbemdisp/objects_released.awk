# Reads a WINEDEBUG=+wbemdisp trace of the completed DLL: every object it
# handed out ("returning iface") was destroyed again ("destroying"), none
# twice. Prints the counts; exits 0 only when objects were made and none is
# left.
/:trace:wbemdisp:.*returning iface / { live[$NF]++; made++ }
/:trace:wbemdisp:.*destroying / { if (live[$NF]-- <= 0) bad++; gone++ }
END {
  for (p in live) if (live[p] > 0) left += live[p]
  printf "%d objects made, %d destroyed, %d left\n", made, gone, left
  exit !(made > 0 && left == 0 && bad == 0)
}
