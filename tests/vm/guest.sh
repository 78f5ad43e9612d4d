# Checks that run inside the VM (busybox sh), against scsi_debug posing as a
# tape drive on the real sg driver. Started by run.sh; the working directory
# holds this file, Scripts/ and Logs/. Prints one line per check:
#   VMCHECK PASS <name>      VMCHECK FAIL <name> -- <why>
# followed, for a failure, by the evidence indented with "      | ".
# Usage: sh guest.sh main|proc
part=${1:-main}
export PATH=/sgvm/bin:$PATH
SD=/sys/bus/pseudo/drivers/scsi_debug
T=/tmp/checks
mkdir -p "$T"
# A console that has left its parse session must not end this script.
trap '' PIPE
# The console looks for the module list where Debian keeps lsmod.
[ -e /sbin/lsmod ] || ln -s "$(command -v lsmod)" /sbin/lsmod

# --- check bookkeeping -------------------------------------------------------
begin() { cname=$1; cerr=""; cshow=""; }
note() { cerr="$cerr; $*"; }
show() { cshow="$cshow $1"; }
# want FILE TEXT: the fixed text must appear in the file.
want() { grep -qF -- "$2" "$1" || note "missing '$2'"; show "$1"; }
lack() { ! grep -qF -- "$2" "$1" || note "unexpected '$2'"; show "$1"; }
same() { [ "$2" = "$3" ] || note "$1: got '$2', want '$3'"; }
end() {
	if [ -z "$cerr" ]; then
		echo "VMCHECK PASS $cname"
	else
		echo "VMCHECK FAIL $cname --${cerr#;}"
		for f in $(echo "$cshow" | tr ' ' '\n' | sort -u); do
			echo "      | --- $f"
			evidence "$f" | tail -n 30 | sed 's/^/      | /'
		done
	fi
}

# Console output without its start-up banners, blank lines and the zero
# rows of sense dumps.
evidence() {
	awk 'NR == 1 && /^====/ { banner = 1 } banner && /^====/ { if (++rules == 4) banner = 0; next }
		banner { next } /^ *$/ || /^(00 )+\)?$/ || /^Closing device file$/ { next } { print }' "$1"
}

# vexil OUT ARGS...: run the console with no input; status in OUT.rc. A run
# that outlives 60 s is killed, so a hang shows as status 137.
vexil_run() {
	out=$1; shift
	timeout -s KILL 60 vexil "$@" >"$out" 2>&1 </dev/null
	echo $? >"$out.rc"
}
rc() { cat "$1.rc"; }

# Bytes as lower-case hex pairs on one line.
hexof() { od -An -tx1 -v "$1" | tr -s ' \n' '  ' | sed 's/^ //; s/ $//'; }

# Sense key, ASC and ASCQ ("%02X %02X %02X") of a command sent with sg_raw,
# from its raw sense bytes; both fixed and descriptor formats.
sg_sense() {
	set -- $(sg_raw -vvv "$@" 2>&1 | awk '
		/Raw sense data/ { grab = 1; next }
		grab && /^ +[0-9a-f][0-9a-f] / {
			for (i = 1; i <= NF; i++) if ($i ~ /^[0-9a-f][0-9a-f]$/) b[n++] = $i
			next
		}
		grab { grab = 0 }
		END {
			if (n == 0) exit
			if (b[0] == "72" || b[0] == "73") print b[1], b[2], b[3]
			else print b[2], b[12], b[13]
		}')
	[ $# -eq 3 ] || { echo none; return; }
	printf '%02X %02X %02X\n' $((0x$1 & 15)) $((0x$2)) $((0x$3))
}

# The first bytes (at most 16, one trace line) of the raw sense of a
# command sent with sg_raw, upper case, each followed by a blank.
sg_sense_raw() {
	sg_raw -vvv "$@" 2>&1 | awk '/Raw sense data/ { grab = 1; next }
		grab && /^ +[0-9a-f][0-9a-f] / { for (i = 1; i <= NF && n < 16; i++) if ($i ~ /^[0-9a-f][0-9a-f]$/) { printf "%s ", toupper($i); n++ }; next }
		grab { exit }'
}

# The debug trace (standard error) from the Nth command whose CDB line
# contains TEXT up to the next CDB line.
trace_of() { # FILE N TEXT -> file
	awk -v n="$2" -v t="$3" 'index($0, " CDB (") { if (on) exit; if (index($0, t) && ++k == n) on = 1 } on' "$1" >"$T/trace.$2"
	echo "$T/trace.$2"
}

# Field of sg_inq's report, e.g. "Vendor identification".
inq_field() { sg_inq "$1" 2>/dev/null | sed -n "s/^ *$2: *//p" | sed 's/ *$//'; }

# Parse-mode session fed through a FIFO, one line at a time. ses_idle waits
# until the console blocks reading its input again, i.e. has finished the
# previous line. Standard output (buffered) and the trace on standard error
# go to two files, as their order in one file would not be kept.
ses_start() { # OUT ARGS...
	ses_out=$1; shift
	rm -f "$T/fifo"; mkfifo "$T/fifo"
	(timeout -s KILL 120 vexil "$@" <"$T/fifo" >"$ses_out" 2>"$ses_out.err"; echo $? >"$ses_out.rc") &
	ses_job=$!
	exec 3>"$T/fifo"
	ses_pid=""
	i=0
	while [ -z "$ses_pid" ] && [ $i -lt 100 ]; do ses_pid=$(pidof vexil); i=$((i + 1)); sleep 0.05; done
	ses_idle 30
}
ses_idle() { # SECONDS: 0 when the console waits for input, 1 on time-out or exit
	i=0
	while [ $i -lt $(($1 * 20)) ]; do
		[ -d "/proc/$ses_pid" ] || return 1
		set -- "$1" $(cat "/proc/$ses_pid/syscall" 2>/dev/null)
		[ "$2" = 0 ] && [ "$3" = 0x0 ] && return 0
		i=$((i + 1)); sleep 0.05
	done
	return 1
}
ses_send() { echo "$1" >&3 2>/dev/null; ses_idle "${2:-30}"; }
ses_stop() { echo quit >&3 2>/dev/null; exec 3>&-; wait "$ses_job"; }
# Text of the session between the markers "timeout A" and "timeout B" (the
# markers are timeout changes, which the console echoes).
ses_part() { # A B -> file
	awk -v a="to $1\$" -v b="to $2\$" '$0 ~ a && /SCSI timeout changed/ { on = 1; next }
		$0 ~ b && /SCSI timeout changed/ { on = 0 } on' "$ses_out" >"$T/part.$1"
	echo "$T/part.$1"
}
uptime_ms() { awk '{ printf "%d\n", $1 * 1000 }' /proc/uptime; }

# --- the checks ----------------------------------------------------------------
main_checks() {
	# The first command after power-on: the unit still holds its power-on
	# unit attention. The scan must absorb it (the readiness probe before the
	# first INQUIRY) and still select the drive; -v traces the real commands.
	vexil_run "$T/first" -v -f /dev/sg0 -s Scripts/NOOP.SCS -y
	serial=$(inq_field /dev/sg0 "Unit serial number")
	vendor=$(inq_field /dev/sg0 "Vendor identification")
	product=$(inq_field /dev/sg0 "Product identification")
	revision=$(inq_field /dev/sg0 "Product revision level")

	begin "power-on unit attention is absorbed by the scan"
	want "$T/first" "Sense Data(70 00 06 00 00 00 00 0A 00 00 00 00 29 01"
	lack "$T/first" "kernel module is not loaded"
	want "$T/first" "Selected device = [$serial] [/dev/sg0]"
	sg_turs /dev/sg0 >"$T/turs" 2>&1 || note "a unit attention is still pending after the scan"
	show "$T/turs"
	end

	begin "-f selects the drive; the selection line matches sg_inq"
	[ -n "$serial" ] || note "sg_inq reports no serial number"
	want "$T/first" "Selected device = [$serial] [/dev/sg0] [$vendor"
	want "$T/first" "$product"
	end

	begin "a drive-less script runs once with -s"
	same "exit status" "$(rc "$T/first")" 0
	want "$T/first" "drive-less script ran"
	lack "$T/first" "FAIL status"
	ls Logs/*_"${serial}"_Vexil.txt >/dev/null 2>&1 || note "no session log Logs/*_${serial}_Vexil.txt"
	end

	# The trace shows every CDB sent through SG_IO and the bytes that came
	# back: the INQUIRY data must be what sg_raw reads from the same unit.
	begin "debug trace of a real INQUIRY matches sg_raw"
	want "$T/first" "CheckUnixDevice: /dev/sg0"
	want "$T/first" " CDB (6) =  0x12 0x00 0x00 0x00 0x48 0x00"
	traced=$(awk '/ CDB \(6\) =  0x12 0x00 0x00 0x00 0x48 0x00/ { cdb = 1; next }
		cdb && /Data in \(/ { data = 1; next }
		data && /0x/ { for (i = 1; i <= NF; i++) printf "%s ", substr($i, 3); next }
		data { exit }' "$T/first" | sed 's/ $//')
	sg_raw -r 72 -o "$T/inq72.bin" /dev/sg0 12 00 00 00 48 00 >/dev/null 2>&1
	same "INQUIRY bytes" "$traced" "$(hexof "$T/inq72.bin")"
	end

	# Identity through the script engine's inquiry report.
	vexil_run "$T/inqinfo" -f /dev/sg0 -s Scripts/INQINFO.SCS -y
	begin "vendor, product and revision match sg_inq"
	same "exit status" "$(rc "$T/inqinfo")" 0
	want "$T/inqinfo" "Vendor ID: $vendor"
	want "$T/inqinfo" "Product ID: $product"
	want "$T/inqinfo" "Product Revision Level: $revision"
	want "$T/inqinfo" "Device Type: Tape"
	end

	# A second logical unit: the scan reads each node's own address and
	# identity (SCSI_IOCTL_GET_IDLUN, INQUIRY) and -f picks the one asked for.
	serial1=$(inq_field /dev/sg1 "Unit serial number")
	vexil_run "$T/sg1" -f /dev/sg1 -s Scripts/NOOP.SCS -y
	begin "-f /dev/sg1 selects the second logical unit"
	[ "$serial1" != "$serial" ] || note "both units report serial '$serial'"
	want "$T/sg1" "Selected device = [$serial1] [/dev/sg1]"
	end

	vexil_run "$T/menu" -s Scripts/NOOP.SCS -y
	begin "the device menu lists both units in node order"
	want "$T/menu" "1) [$serial] [/dev/sg0] [$vendor"
	want "$T/menu" "2) [$serial1] [/dev/sg1] [$vendor"
	[ "$(rc "$T/menu")" != 137 ] || note "the menu did not end at the end of its input"
	end

	# Command mode's TapeAlert report: scsi_debug rejects LOG SENSE of page
	# 2Eh, which must show as a failure with the unit's own sense.
	printf '6\n7\n' >"$T/alerts.in"
	timeout -s KILL 60 vexil -f /dev/sg0 -c <"$T/alerts.in" >"$T/alerts" 2>&1
	echo $? >"$T/alerts.rc"
	set -- $(sg_sense -r 512 /dev/sg0 4d 00 2e 00 00 00 00 02 00 00)
	begin "command mode: the rejected TapeAlert page is reported with its sense (status 2)"
	same "exit status" "$(rc "$T/alerts")" 2
	[ $# -eq 3 ] || note "sg_raw saw no sense for LOG SENSE 2Eh"
	want "$T/alerts" "Retrieving TapeAlerts..."
	want "$T/alerts" "Status: SenseKey=$1 ASC=$2 ASCQ=$3"
	lack "$T/alerts" "No TapeAlerts are set."
	end

	# No /proc/scsi/scsi in this kernel: the diagnostics add the same list
	# read from sysfs.
	vexil_run "$T/sg7" -f /dev/sg7 -s Scripts/NOOP.SCS -y
	begin "-f /dev/sg7: not-found diagnostics with the sysfs listing"
	same "exit status" "$(rc "$T/sg7")" 254
	want "$T/sg7" "Requested device file (/dev/sg7) not found!"
	want "$T/sg7" "The SCSI device you requested was not found or was not accessible to Vexil!"
	want "$T/sg7" "4) You do not have write/read access to the device file for your target device (/dev/sg7)"
	want "$T/sg7" "SCSI devices listed in /proc/scsi/scsi:"
	want "$T/sg7" "Devices found in /dev/sg*"
	want "$T/sg7" "/dev/sg0"
	want "$T/sg7" "SCSI generic devices listed in /sys/class/scsi_generic:"
	d=/sys/class/scsi_generic/sg0/device
	grep -q "^/dev/sg0 .*\[0:0:0:0\].*$(cat $d/vendor | sed 's/ *$//')  $(cat $d/model | sed 's/ *$//')  $(cat $d/rev)" "$T/sg7" ||
		note "no sysfs line for /dev/sg0 [0:0:0:0] with its vendor, model and revision"
	lack "$T/sg7" "Selected device"
	end

	# The tape driver's own node is refused unopened, with the sg node of the
	# same unit as sysfs tells it.
	tsg=$(ls /sys/class/scsi_tape/nst0/device/scsi_generic 2>/dev/null | head -n 1)
	vexil_run "$T/nst0" -f /dev/nst0 -s Scripts/NOOP.SCS -y
	begin "-f /dev/nst0: the console names the unit's sg node from sysfs"
	[ -n "$tsg" ] || note "sysfs names no sg node for nst0"
	same "exit status" "$(rc "$T/nst0")" 254
	want "$T/nst0" "/dev/nst0 is a node of the tape driver"
	want "$T/nst0" "The SCSI generic node of this drive is /dev/$tsg: use -f /dev/$tsg"
	lack "$T/nst0" "Selected device"
	end

	# Sense of a rejected command and of a medium error, in fixed and in
	# descriptor format, through the script engine (-v for the raw sense
	# bytes), against sg_raw's decoding and raw bytes for the same CDBs.
	rbl="05 00 00 00 00 00"
	rd10="28 00 00 00 12 34 00 00 01 00"
	echo 2 >$SD/opts
	for fmt in 0 1; do
		echo $fmt >$SD/dsense
		sg_turs /dev/sg0 >/dev/null 2>&1
		ref1=$(sg_sense /dev/sg0 $rbl)
		raw1=$(sg_sense_raw /dev/sg0 $rbl)
		ref2=$(sg_sense -r 512 /dev/sg0 $rd10)
		raw2=$(sg_sense_raw -r 512 /dev/sg0 $rd10)
		vexil_run "$T/sense$fmt" -v -f /dev/sg0 -s Scripts/SENSE.SCS -y
		begin "script sense, dsense=$fmt: rejected command and medium error as sg_raw sees them"
		same "sg_raw sense of READ BLOCK LIMITS" "$ref1" "05 20 00"
		same "sg_raw sense of READ(10)" "$ref2" "03 11 00"
		set -- $ref1
		want "$T/sense$fmt" "script sense $(printf '%02X %02X %02X' 0x$1 0x$2 0x$3)"
		set -- $ref2
		want "$T/sense$fmt" "script sense $(printf '%02X %02X %02X' 0x$1 0x$2 0x$3)"
		want "$(trace_of "$T/sense$fmt" 1 " CDB (6) =  0x05 0x00")" "Sense Data($raw1"
		want "$(trace_of "$T/sense$fmt" 1 " CDB (10) =  0x28 0x00 0x00 0x00 0x12 0x34")" "Sense Data($raw2"
		same "exit status" "$(rc "$T/sense$fmt")" 0
		end
	done
	echo 0 >$SD/opts
	echo 0 >$SD/dsense

	log_page_checks
	# A counting pattern written and read back through SCSI statements, the
	# same blocks read by sg_dd. (scsi_debug is a disk here: READ(10) and
	# WRITE(10) are its own commands.)
	vexil_run "$T/pattern" -f /dev/sg0 -s Scripts/PATTERN.SCS -y
	sg_dd if=/dev/sg0 of="$T/dd.bin" bs=512 skip=256 count=8 >/dev/null 2>&1
	begin "script WRITE(10)/READ(10) of a pattern, COMPAREBUFFER, and sg_dd reads the same blocks"
	same "exit status" "$(rc "$T/pattern")" 0
	want "$T/pattern" "pattern compare 0 at 0"
	same "sg_dd bytes and pattern mismatches" \
		"$(od -An -tu1 -v "$T/dd.bin" | awk '{ for (i = 1; i <= NF; i++) { if ($i != n % 256) bad++; n++ } } END { print n, bad + 0 }')" \
		"4096 0"
	end

	# The 56 bytes of a standard INQUIRY as PRINTBUFFER shows them, against sg_raw.
	vexil_run "$T/inqraw" -f /dev/sg0 -s Scripts/INQRAW.SCS -y
	sg_raw -r 56 -o "$T/inq56.bin" /dev/sg0 12 00 00 00 38 00 >/dev/null 2>&1
	begin "INQUIRY through PRINTBUFFER matches sg_raw -r 56"
	same "exit status" "$(rc "$T/inqraw")" 0
	shown=$(grep -E '^[0-9A-F]{8}  ' "$T/inqraw" | awk '{ for (i = 2; i < NF; i++) if (length($i) == 2) printf "%s ", tolower($i) }' | sed 's/ $//')
	same "INQUIRY bytes" "$shown" "$(hexof "$T/inq56.bin")"
	show "$T/inqraw"
	end

	device_layer_fault_checks
	trace_collection_checks
	held_command_check
	script_transport_failure_check
	tape_operation_checks
	live_session
	firmware_checks
	no_node_checks
}

# Log pages read and decoded by a script against sg_logs on the same unit;
# the event log (07h), which scsi_debug does not have, fails with its sense.
log_page_checks() {
	sg_turs /dev/sg0 >/dev/null 2>&1
	sg_logs -p 0x0 /dev/sg0 >"$T/sglogs00" 2>&1
	sg_logs -p 0xd /dev/sg0 >"$T/sglogs0d" 2>&1
	sg_logs -p 0x2f /dev/sg0 >"$T/sglogs2f" 2>&1
	vexil_run "$T/logpages" -f /dev/sg0 -s Scripts/LOGPAGES.SCS -y
	begin "log pages 00h, 0Dh and 2Fh from a script match sg_logs; page 07h fails with its sense"
	same "exit status" "$(rc "$T/logpages")" 0
	# The supported pages as sg_logs lists them ("0x0d  Temperature"), in the script's form.
	list=$(grep -oE '^ *0x[0-9a-fA-F]{2}' "$T/sglogs00" | tr -d ' ' | sed 's/^0x//' | tr 'a-f' 'A-F' |
		awk '{ printf "%sH   ", $1 }')
	[ -n "$list" ] || note "sg_logs listed no pages"
	want "$T/logpages" "Pages:  $list"
	want "$T/logpages" "Page Code: 0DH"
	want "$T/logpages" "Page Code: 2FH"
	temp=$(sed -n 's/.*Current temperature *= *\([0-9]*\) C.*/\1/p' "$T/sglogs0d" | head -n 1)
	[ -n "$temp" ] || note "no current temperature from sg_logs"
	want "$T/logpages" "script temperature $temp"
	ie_temp=$(sed -n 's/.*Current temperature *= *\([0-9]*\) C.*/\1/p' "$T/sglogs2f" | head -n 1)
	[ -n "$ie_temp" ] || note "no temperature in sg_logs' informational exceptions page"
	want "$T/logpages" "script informational exceptions $(printf '000000%02X' "${ie_temp:-0}")"
	ref=$(sg_sense -r 4096 /dev/sg0 4d 00 47 00 00 00 00 10 00 00)
	same "sg_raw sense of LOG SENSE 07h" "$ref" "05 24 00"
	want "$T/logpages" "script event log sense 05 24 00"
	show "$T/sglogs00"
	show "$T/sglogs0d"
	end
}

# The device layer's own command path (vm_fault_probe: one SendCdb per step,
# after one scan) under scsi_debug's faults. The probe switches the faults
# itself, after its scan, so that the scan is not held too.
probe_line() { grep "^PROBE #$2 " "$1" | head -n 1; }
# probe_field LINE NAME: NAME=VALUE up to the next blank, or the text after
# "| NAME=" up to the next " | ".
probe_field() {
	echo "$1" | sed -n "s/.* $2=\([^ ]*\).*/\1/p" | head -n 1
}
probe_text() { echo "$1" | awk -v k="| $2=" '{ i = index($0, k); if (!i) exit; t = substr($0, i + length(k)); j = index(t, " | "); print (j ? substr(t, 1, j - 1) : t) }'; }
hex() { echo "$1" | tr -d ' '; }
# probe_sense STEP REF RAW KEYNAME DESCRIPTION: the probe's line for STEP
# against sg_raw's decoding (REF) and first raw byte (RAW).
probe_sense() {
	line=$(probe_line "$T/probe" $1)
	[ -n "$line" ] || { note "no probe line for step $1"; return; }
	set -- "$line" "$2" "$3" "$4" "$5"
	same "step result" "$(probe_field "$1" result)" -2
	same "step sense" "$(probe_field "$1" key) $(probe_field "$1" asc) $(probe_field "$1" ascq)" "$2"
	same "step timed out" "$(probe_field "$1" timedout)" 0
	k=${2%% *} rest=${2#* } a=${rest%% *} q=${rest#* }
	want_text="ErrorCode (0x${3%% *}h) ,Sense Key (0x${k}h) $4, $5 ASC(0x${a}h), ASCQ(0x${q}h) - "
	same "sense message" "$(probe_text "$1" sense)" "$want_text"
	case $(probe_text "$1" errors) in
	"SCSI: FaultProbe()::SendCdb()::DevIo() - $want_text / Sense Data($3"*) ;;
	*) note "error buffer is '$(probe_text "$1" errors)'" ;;
	esac
}

device_layer_fault_checks() {
	rbl="05 00 00 00 00 00"
	rd10="28 00 00 00 12 34 00 00 01 00"
	sg_turs /dev/sg0 >/dev/null 2>&1
	echo 2 >$SD/opts
	for fmt in 0 1; do
		echo $fmt >$SD/dsense
		eval "rbl_ref$fmt=\$(sg_sense /dev/sg0 $rbl) rbl_raw$fmt=\$(sg_sense_raw /dev/sg0 $rbl)"
		eval "rd_ref$fmt=\$(sg_sense -r 512 /dev/sg0 $rd10) rd_raw$fmt=\$(sg_sense_raw -r 512 /dev/sg0 $rd10)"
	done
	echo 0 >$SD/dsense
	echo 0 >$SD/opts
	t0=$(uptime_ms)
	timeout -s KILL 60 vm_fault_probe \
		set:$SD/opts=2 set:$SD/dsense=0 none:$(hex "$rbl") in512:$(hex "$rd10") \
		set:$SD/dsense=1 none:$(hex "$rbl") in512:$(hex "$rd10") set:$SD/dsense=0 set:$SD/opts=0 \
		timeout=2 set:$SD/delay=2500 none:000000000000 set:$SD/delay=1 none:000000000000 \
		>"$T/probe" 2>&1
	echo $? >"$T/probe.rc"
	t1=$(uptime_ms)
	echo 1 >$SD/delay
	echo 0 >$SD/opts
	echo 0 >$SD/dsense
	sg_turs /dev/sg0 >/dev/null 2>&1

	begin "device layer: a rejected command's fixed and descriptor sense as sg_raw decodes it"
	same "sg_raw sense, dsense=0" "$rbl_ref0" "05 20 00"
	same "sg_raw sense, dsense=1" "$rbl_ref1" "05 20 00"
	case $rbl_raw1 in 72*) ;; *) note "sg_raw sees no descriptor sense with dsense=1: '$rbl_raw1'" ;; esac
	probe_sense 3 "$rbl_ref0" "$rbl_raw0" "ILLEGAL REQUEST" "INVALID COMMAND OPERATION CODE."
	probe_sense 6 "$rbl_ref1" "$rbl_raw1" "ILLEGAL REQUEST" "INVALID COMMAND OPERATION CODE."
	show "$T/probe"
	end

	begin "device layer: a medium error, fixed and descriptor sense, as sg_raw decodes it"
	same "sg_raw sense, dsense=0" "$rd_ref0" "03 11 00"
	same "sg_raw sense, dsense=1" "$rd_ref1" "03 11 00"
	probe_sense 4 "$rd_ref0" "$rd_raw0" "MEDIUM ERROR" "UNRECOVERED READ ERROR."
	probe_sense 7 "$rd_ref1" "$rd_raw1" "MEDIUM ERROR" "UNRECOVERED READ ERROR."
	show "$T/probe"
	end

	# TEST UNIT READY held 10 s by the unit against a 2 s timeout: the sg
	# driver aborts it (DID_TIME_OUT) and the layer reports a timeout.
	line=$(probe_line "$T/probe" 12)
	after=$(probe_line "$T/probe" 14)
	begin "device layer: a command beyond its 2 s timeout ends as a timeout (-1), without hanging"
	same "result" "$(probe_field "$line" result)" -1
	same "timed-out flag" "$(probe_field "$line" timedout)" 1
	same "host status" "$(probe_field "$line" host)" 03
	same "device error" "$(probe_text "$line" deverror)" "FaultProbe()::SendCdb()::DevIo() - SCSI Command Timeout."
	same "error buffer" "$(probe_text "$line" errors)" "SYS: FaultProbe()::SendCdb()::DevIo() - SCSI Command Timeout."
	ms=$(probe_field "$line" ms)
	[ -n "$ms" ] && [ "$ms" -ge 1900 ] && [ "$ms" -le 6000 ] || note "the timed-out command took '$ms' ms (want 1900 to 6000)"
	same "next command" "$(probe_field "$after" result)" 1
	same "probe exit status" "$(cat "$T/probe.rc")" 0
	show "$T/probe"
	end
	[ -z "$ms" ] || echo "VMNOTE device layer: timed-out TEST UNIT READY ended after $ms ms; probe run $((t1 - t0)) ms"
}

# -b reads the drive's trace buffer with READ BUFFER, which scsi_debug
# rejects: the console reports the sense of the failing command. Fixed and
# descriptor format, against sg_raw for the same CDB.
trace_collection_checks() {
	rdbuf="3c 04 07 00 00 00 01 00 00 00"
	for fmt in 0 1; do
		echo $fmt >$SD/dsense
		sg_turs /dev/sg0 >/dev/null 2>&1
		ref=$(sg_sense -r 65536 /dev/sg0 $rdbuf)
		raw=$(sg_sense_raw -r 65536 /dev/sg0 $rdbuf)
		vexil_run "$T/trace$fmt" -v -f /dev/sg0 -b
		begin "-b with dsense=$fmt: the rejected READ BUFFER's sense as sg_raw sees it (status 250)"
		same "sg_raw sense" "$ref" "05 20 00"
		set -- $ref
		want "$T/trace$fmt" "Status: SenseKey=$1 ASC=$2 ASCQ=$3"
		want "$(trace_of "$T/trace$fmt" 1 " CDB (10) =  0x3c 0x04 0x07")" "Sense Data($raw"
		same "exit status" "$(rc "$T/trace$fmt")" 250
		end
	done
	echo 0 >$SD/dsense
}

# scsi_debug leaves the 4th command from now unanswered (opts=4 with
# every_nth=4): during a scan that is the first INQUIRY sent with the scan's
# 3 s timeout. The kernel ends it at that timeout; the console must go on
# and still select the drive. The trace times the held command. With
# /proc/scsi, the sg driver's view of the open node is kept meanwhile.
# A script's TEST UNIT READY held by the unit (delay) past the script's own
# 2 s timeout: the script sees a transport failure, never "no sense". The
# delay is switched on once the script's marker INQUIRY (allocation 2Ah) is
# traced, while the script sleeps, so the scan before it is not held.
script_transport_failure_check() {
	sg_turs /dev/sg0 >/dev/null 2>&1
	marker=" CDB (6) =  0x12 0x00 0x00 0x00 0x2a 0x00"
	(timeout -s KILL 60 vexil -v -f /dev/sg0 -s Scripts/HELD.SCS -y >"$T/heldtur" 2>"$T/heldtur.err" </dev/null
		echo $? >"$T/heldtur.rc") &
	job=$!
	i=0 t0=""
	while [ $i -lt 400 ] && [ -z "$t0" ]; do
		if grep -qF "$marker" "$T/heldtur.err"; then
			echo 2500 >$SD/delay
			t0=$(uptime_ms)
		fi
		i=$((i + 1)); sleep 0.05
	done
	wait $job
	t1=$(uptime_ms)
	echo 1 >$SD/delay
	sg_turs /dev/sg0 >/dev/null 2>&1
	begin "a script's command held past its timeout is a transport failure the script sees"
	[ -n "$t0" ] || note "the script's marker INQUIRY was not traced"
	want "$T/heldtur" "held sense FF 01 00"
	want "$T/heldtur" "= Transport failure: the command timed out"
	want "$T/heldtur" "The TEST UNIT READY was lost in the transport"
	want "$T/heldtur" "Script completed with a FAIL status!"
	lack "$T/heldtur" "The drive looks ready"
	[ -n "$t0" ] && { [ $((t1 - t0)) -le 30000 ] || note "the script took $((t1 - t0)) ms after the delay was set (want at most 30 s)"; }
	echo "VMNOTE held script TEST UNIT READY: the run ended $((t1 - ${t0:-t1})) ms after the delay was set"
	end
}

held_command_check() {
	serial=$(inq_field /dev/sg0 "Unit serial number")
	inq=" CDB (6) =  0x12 0x00 0x00 0x00 0x48 0x00"
	sg_turs /dev/sg0 >/dev/null 2>&1
	echo 4 >$SD/opts
	echo 4 >$SD/every_nth
	(timeout -s KILL 60 vexil -v -f /dev/sg0 -s Scripts/NOOP.SCS -y >"$T/held" 2>"$T/held.err" </dev/null
		echo $? >"$T/held.rc") &
	job=$!
	t_sent="" t_next="" i=0
	while [ $i -lt 600 ] && [ -z "$t_next" ]; do
		if [ -z "$t_sent" ]; then
			if grep -qF "$inq" "$T/held.err"; then
				t_sent=$(uptime_ms)
				n_sent=$(grep -c ' CDB (' "$T/held.err")
				# The held command is with the unit by now; answer all others.
				sleep 0.5
				[ -e /proc/scsi/sg/debug ] && cp /proc/scsi/sg/debug "$T/sgdebug"
				echo 0 >$SD/opts
				echo 0 >$SD/every_nth
			fi
		elif [ "$(grep -c ' CDB (' "$T/held.err")" -gt "$n_sent" ]; then
			t_next=$(uptime_ms)
		fi
		i=$((i + 1)); sleep 0.05
	done
	wait $job
	echo 0 >$SD/opts
	echo 0 >$SD/every_nth
	cat "$T/held.err" >>"$T/held"
	begin "a command held past the scan's 3 s timeout ends then, and the scan goes on$1"
	if [ -z "$t_sent" ] || [ -z "$t_next" ]; then
		note "the held INQUIRY and the command after it were not both traced"
	else
		held=$((t_next - t_sent))
		[ $held -ge 2500 ] && [ $held -le 6000 ] || note "the held command took $held ms (want 2500 to 6000)"
		echo "VMNOTE held INQUIRY ended after $held ms (scan timeout 3 s)"
	fi
	want "$T/held" "Selected device = [$serial] [/dev/sg0]"
	same "exit status" "$(rc "$T/held")" 0
	end
}

# One parse-mode session on /dev/sg0: raw commands, faults switched on and
# off in scsi_debug between them. Every step is framed by "timeout" lines,
# whose echo splits the output.
live_session() {
	ses_start "$T/live" -f /dev/sg0 -p
	ses_send "timeout 301"

	# Raw INQUIRY bytes against sg_raw.
	ses_send "cdb 6 in 24 12 0 0 0 24 0"
	ses_send "timeout 302"

	# Unit attention after a reset, seen by the first TEST UNIT READY only.
	sg_reset -d /dev/sg0 >/dev/null 2>&1
	ses_send "cdb 6 NONE 0 0 0 0 0 0"
	ses_send "timeout 303"
	ses_send "cdb 6 NONE 0 0 0 0 0 0"
	ses_send "timeout 304"

	# Fixed and descriptor sense of the same rejected command.
	ses_send "cdb 6 NONE 5 0 0 0 0 0"
	ses_send "timeout 305"
	echo 1 >$SD/dsense
	ses_send "cdb 6 NONE 5 0 0 0 0 0"
	echo 0 >$SD/dsense
	ses_send "timeout 306"

	# Medium error on READ(10) of block 0x1234.
	echo 2 >$SD/opts
	ses_send "cdb a IN ff 28 0 0 0 12 34 0 0 1 0"
	echo 0 >$SD/opts
	ses_send "timeout 2"

	# A command the unit holds for 10 s against a 2 s timeout.
	echo 2500 >$SD/delay
	t0=$(uptime_ms)
	ses_send "cdb 6 NONE 0 0 0 0 0 0" 40
	idle=$?
	t1=$(uptime_ms)
	echo 1 >$SD/delay
	ses_send "timeout 307"
	ses_send "cdb 6 NONE 0 0 0 0 0 0"
	ses_send "timeout 308"
	ses_stop

	sg_raw -r 36 -o "$T/inq36.bin" /dev/sg0 12 00 00 00 24 00 >/dev/null 2>&1
	# The bytes come back in the trace; the data buffer listing follows with
	# the next command.
	begin "parse mode: raw INQUIRY bytes match sg_raw"
	got=$(awk '/Data in \(/ { on = 1; next } on && /0x/ { for (i = 1; i <= NF; i++) printf "%s ", substr($i, 3); next } on { exit }' \
		"$(trace_of "$T/live.err" 1 " CDB (6) =  0x12 0x00 0x00 0x00 0x24 0x00")" | sed 's/ $//')
	same "INQUIRY bytes" "$got" "$(hexof "$T/inq36.bin")"
	want "$T/live" "Data buffer (36):"
	show "$T/live"
	end

	p=$(ses_part 302 303)
	q=$(ses_part 303 304)
	begin "unit attention after a reset, then ready"
	want "$p" "Status: SenseKey=06 ASC=29 ASCQ=00"
	lack "$q" "Status: SenseKey"
	lack "$q" "command failed"
	end

	ref=$(sg_sense /dev/sg0 05 00 00 00 00 00)
	set -- $ref
	rbl=" CDB (6) =  0x05 0x00 0x00 0x00 0x00 0x00"
	p=$(ses_part 304 305)
	begin "fixed-format sense decoded as sg_raw decodes it"
	want "$p" "Status: SenseKey=$1 ASC=$2 ASCQ=$3"
	want "$(trace_of "$T/live.err" 1 "$rbl")" "Sense Data(70 00 05 00"
	end

	p=$(ses_part 305 306)
	begin "descriptor-format sense decoded from bytes 1 to 3"
	want "$p" "Status: SenseKey=$1 ASC=$2 ASCQ=$3"
	want "$(trace_of "$T/live.err" 2 "$rbl")" "Sense Data(72 05 20 00"
	end

	sg_turs /dev/sg0 >/dev/null 2>&1
	echo 2 >$SD/opts
	ref=$(sg_sense -r 512 /dev/sg0 28 00 00 00 12 34 00 00 01 00)
	echo 0 >$SD/opts
	p=$(ses_part 306 2)
	begin "medium error decoded as sg_raw decodes it"
	same "sg_raw sense" "$ref" "03 11 00"
	set -- $ref
	want "$p" "Status: SenseKey=$1 ASC=$2 ASCQ=$3"
	end

	p=$(ses_part 2 307)
	q=$(ses_part 307 308)
	begin "a command beyond its 2 s timeout ends as a timeout, without hanging"
	same "console waiting again" "$idle" 0
	[ $((t1 - t0)) -le 6000 ] || note "the timed-out command took $((t1 - t0)) ms (limit 6000)"
	grep -qF "SCSI Command Timeout." "$p" || grep -qF "command failed: SCSI timeout" "$p" ||
		note "no timeout text"
	lack "$q" "command failed"
	# Commands of the session failed: its status says so.
	same "exit status" "$(rc "$T/live")" 2
	end
	[ "$idle" != 0 ] || echo "VMNOTE timed-out command: $(grep -F "command failed" "$p" | head -n 1) ($((t1 - t0)) ms)"
}

# The named tape operations (vm_tape_probe) on scsi_debug, a disk under a
# tape's peripheral type: LOAD/UNLOAD reach it as START STOP UNIT, its three
# log pages decode as sg_logs decodes them, and what it rejects is reported
# with its sense. Never 08h, 0Ah or 34h: those are disk commands there.
tape_line() { grep "^TAPE #$2 " "$1" | head -n 1; }
tape_text() { echo "$1" | awk -v k="| $2=" '{ i = index($0, k); if (!i) exit; t = substr($0, i + length(k)); j = index(t, " | "); print (j ? substr(t, 1, j - 1) : t) }'; }
# tape_param LINE CODE: the value bytes of one parameter, as hex.
tape_param() { tape_text "$1" params | tr ',' '\n' | sed -n "s/^$2://p"; }
# Decimal of the hex byte at position N (0-based) of a value.
hexbyte() { echo $((0x$(echo "$1" | cut -c$(($2 * 2 + 1))-$(($2 * 2 + 2))))); }

tape_operation_checks() {
	sg_turs /dev/sg0 >/dev/null 2>&1
	# References: sg_start's stop and the TEST UNIT READY that follows it.
	sg_start --stop /dev/sg0 >/dev/null 2>&1
	stopped_ref=$(sg_sense /dev/sg0 00 00 00 00 00 00)
	sg_start --start /dev/sg0 >/dev/null 2>&1
	sg_turs /dev/sg0 >/dev/null 2>&1
	timeout -s KILL 60 vm_tape_probe unload tur load tur >"$T/tape1" 2>&1
	sg_turs /dev/sg0 >"$T/turs" 2>&1
	turs_rc=$?
	begin "device layer: Unload and Load are START STOP UNIT; the not-ready TEST UNIT READY between matches sg_start/sg_turs"
	same "unload" "$(probe_field "$(tape_line "$T/tape1" 1)" result)" 1
	line=$(tape_line "$T/tape1" 2)
	same "test unit ready after unload" "$(probe_field "$line" result)" -2
	same "its sense" "$(probe_field "$line" key) $(probe_field "$line" asc) $(probe_field "$line" ascq)" "$stopped_ref"
	same "load" "$(probe_field "$(tape_line "$T/tape1" 3)" result)" 1
	same "test unit ready after load" "$(probe_field "$(tape_line "$T/tape1" 4)" result)" 1
	same "sg_turs after the probe" "$turs_rc" 0
	show "$T/tape1"
	end

	sg_logs -p 0x0 /dev/sg0 >"$T/logs00" 2>&1
	sg_logs -p 0xd /dev/sg0 >"$T/logs0d" 2>&1
	sg_logs -p 0x2f /dev/sg0 >"$T/logs2f" 2>&1
	timeout -s KILL 60 vm_tape_probe log:00 log:0D log:2F >"$T/tape2" 2>&1
	begin "device layer: log pages 00h, 0Dh and 2Fh decoded as sg_logs decodes them"
	line=$(tape_line "$T/tape2" 1)
	same "page 00h result" "$(probe_field "$line" result)" 1
	ref=$(awk '$1 ~ /^0x[0-9a-fA-F][0-9a-fA-F]$/ { printf "%s%s", sep, toupper(substr($1, 3)); sep = "," }' "$T/logs00")
	[ -n "$ref" ] || note "no page list from sg_logs"
	same "supported pages" "$(tape_text "$line" pages)" "$ref"
	line=$(tape_line "$T/tape2" 2)
	same "page 0Dh result" "$(probe_field "$line" result)" 1
	now=$(tape_param "$line" 0000) ref_now=$(sed -n 's/.*Current temperature *= *\([0-9][0-9]*\).*/\1/p' "$T/logs0d" | head -n 1)
	[ -n "$ref_now" ] || note "no temperature from sg_logs"
	same "current temperature" "$(hexbyte "$now" 1)" "$ref_now"
	refer=$(tape_param "$line" 0001) ref_ref=$(sed -n 's/.*Reference temperature *= *\([0-9][0-9]*\).*/\1/p' "$T/logs0d" | head -n 1)
	same "reference temperature" "$(hexbyte "$refer" 1)" "$ref_ref"
	line=$(tape_line "$T/tape2" 3)
	same "page 2Fh result" "$(probe_field "$line" result)" 1
	ie=$(tape_param "$line" 0000)
	ref_asc=$(sed -n 's/.*IE asc *= *0x\([0-9a-fA-F]*\).*/\1/p' "$T/logs2f" | head -n 1)
	same "IE asc" "$(hexbyte "$ie" 0)" "$((0x${ref_asc:-FF}))"
	ref_temp=$(sed -n 's/.*Current temperature *= *\([0-9][0-9]*\).*/\1/p' "$T/logs2f" | head -n 1)
	same "IE temperature" "$(hexbyte "$ie" 2)" "$ref_temp"
	show "$T/tape2"; show "$T/logs00"; show "$T/logs0d"; show "$T/logs2f"
	end

	alerts_ref=$(sg_sense -r 512 /dev/sg0 4d 00 2e 00 00 00 00 02 00 00)
	events_ref=$(sg_sense -r 512 /dev/sg0 4d 00 07 00 00 00 00 02 00 00)
	mode10_ref=$(sg_sense -r 512 /dev/sg0 5a 00 10 00 00 00 00 02 00 00)
	mode0f_ref=$(sg_sense -r 512 /dev/sg0 5a 00 0f 00 00 00 00 02 00 00)
	sg_modes -p 0x10 /dev/sg0 >"$T/modes10" 2>&1
	modes_rc=$?
	timeout -s KILL 60 vm_tape_probe alerts events mode:10 mode:0F mediacheck >"$T/tape3" 2>&1
	begin "device layer: rejected pages 2Eh, 07h and mode pages 10h, 0Fh are failures with sg_raw's sense"
	n=1
	for ref in "$alerts_ref" "$events_ref" "$mode10_ref" "$mode0f_ref"; do
		line=$(tape_line "$T/tape3" $n)
		same "step $n result" "$(probe_field "$line" result)" -2
		same "step $n sense" "$(probe_field "$line" key) $(probe_field "$line" asc) $(probe_field "$line" ascq)" "$ref"
		n=$((n + 1))
	done
	[ "$modes_rc" != 0 ] || note "sg_modes read page 10h"
	line=$(tape_line "$T/tape3" 5)
	same "media check" "$(probe_field "$line" result)" 0
	same "media check message" "$(tape_text "$line" message)" "MediaCheck() - SCSI - MEDIA CHECK TEST FAILED"
	lack "$T/tape3" "No TapeAlerts are set."
	show "$T/tape3"; show "$T/modes10"
	end
}

# A firmware download on the real path. scsi_debug takes a microcode piece
# (WRITE BUFFER mode 04h) and then raises two unit attentions: 06/29/02, then
# 06/3F/01. It has no device configuration mode page, so the readiness check
# of -u cannot tell whether a cartridge is still in it and stops the update
# before the first piece. The download routine alone (vm_tape_probe) sends
# the pieces: its second piece meets the first attention, which is a failed
# piece; the second attention is still there for the next command.
firmware_checks() {
	head -c 200000 /dev/zero >"$T/fw.bin"
	sg_turs /dev/sg0 >/dev/null 2>&1
	sg_write_buffer --mode=4 --id=4 --in="$T/fw.bin" --length=65536 /dev/sg0 >/dev/null 2>&1
	first=$(sg_sense /dev/sg0 00 00 00 00 00 00)
	second=$(sg_sense /dev/sg0 00 00 00 00 00 00)
	begin "sg_write_buffer: a microcode piece raises 06/29/02, then 06/3F/01"
	same "first attention" "$first" "06 29 02"
	same "second attention" "$second" "06 3F 01"
	end

	# A started unit with its medium: the readiness check rewinds and
	# unloads it, then cannot read its cartridge state.
	sg_start --start /dev/sg0 >/dev/null 2>&1
	sg_turs /dev/sg0 >/dev/null 2>&1
	sg_turs /dev/sg0 >/dev/null 2>&1
	vexil_run "$T/fup" -v -f /dev/sg0 -u "$T/fw.bin"
	sg_start --start /dev/sg0 >/dev/null 2>&1
	sg_turs /dev/sg0 >/dev/null 2>&1
	begin "-u on the real path: an unreadable cartridge state stops the update before the first piece (51, status 252)"
	want "$T/fup" "Checking device readiness"
	want "$T/fup" "FupDrive() - Error: Device not in correct state for FUP: the cartridge state could not be read (MODE SENSE failed)."
	want "$T/fup" "Result 51: Device is not in proper state to perform Firmware Update."
	want "$T/fup" "Unable to perform FUP operation."
	lack "$T/fup" "Sending image file to the device"
	lack "$T/fup" "CDB (10) =  0x3b"
	same "exit status" "$(rc "$T/fup")" 252
	end
	echo "VMNOTE readiness: $(grep -c '0x1b 0x00 0x00 0x00 0x00 0x00' "$T/fup") unload(s); probes: $(grep -F 'TestUnitReady()' "$T/fup" | grep -o 'ASC(0x..h), ASCQ(0x..h)' | head -n 3 | tr '\n' ' ')"

	timeout -s KILL 120 vm_tape_probe "fupltoc:$T/fw.bin" >"$T/fupltoc" 2>&1
	left=$(sg_sense /dev/sg0 00 00 00 00 00 00)
	line=$(tape_line "$T/fupltoc" 1)
	begin "download routine on the real path: the piece met by the raised unit attention fails the download (53)"
	same "result" "$(probe_field "$line" result)" 53
	same "sense" "$(probe_field "$line" key) $(probe_field "$line" asc) $(probe_field "$line" ascq)" "06 29 02"
	same "message" "$(tape_text "$line" message)" "FupLTOC() - Error writing image file to drive ($T/fw.bin) 65536 of 200000 bytes written. Status = -2."
	same "attention left for the next command (sg_raw)" "$left" "06 3F 01"
	show "$T/fupltoc"
	end
}

# The last checks remove the sg nodes, so they run at the end.
no_node_checks() {
	rm -f /dev/sg0 /dev/sg1
	vexil_run "$T/nonode" -s Scripts/NOOP.SCS -y
	begin "no sg node at all: the not-found diagnostics without -f"
	same "exit status" "$(rc "$T/nonode")" 254
	want "$T/nonode" "No device files found!"
	want "$T/nonode" "No SCSI devices found which are accessible to Vexil!"
	want "$T/nonode" "SCSI devices listed in /proc/scsi/scsi:"
	end
}

# With the rebuilt modules, /proc/scsi exists: the diagnostics show it, and
# /proc/scsi/sg/debug shows the reserved buffer of the console's open node.
proc_checks() {
	vexil_run "$T/sg7" -f /dev/sg7 -s Scripts/NOOP.SCS -y
	begin "-f /dev/sg7: not-found diagnostics list /proc/scsi/scsi"
	same "exit status" "$(rc "$T/sg7")" 254
	want "$T/sg7" "SCSI devices listed in /proc/scsi/scsi:"
	want "$T/sg7" "Attached devices:"
	want "$T/sg7" "$(grep -F 'Vendor:' /proc/scsi/scsi | head -n 1 | sed 's/^ *//')"
	lack "$T/sg7" "SCSI generic devices listed in"
	end

	# The pass-through raises the node's reserved buffer before its first
	# SG_IO; the held command keeps the node open long enough to look.
	rm -f "$T/sgdebug"
	held_command_check " (rebuilt modules)"
	touch "$T/sgdebug"
	begin "the console's open node has a 256 KiB reserved buffer (its largest transfer)"
	largest=$(grep -o 'bufflen=[0-9]*' "$T/sgdebug" | cut -d= -f2 | sort -n | tail -n 1)
	[ "${largest:-0}" -ge 262144 ] ||
		note "no file descriptor with a reserved buffer of at least 262144 bytes"
	show "$T/sgdebug"
	end
}

case $part in
main) main_checks ;;
proc) proc_checks ;;
*) echo "unknown part '$part'" >&2; exit 2 ;;
esac
echo "VMCHECK END $part"
