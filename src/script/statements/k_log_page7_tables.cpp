// The event log's packet types and the labels of its tally.
#include "script/statements/k_log_page7.h"

const std::array<Pg7PacketType, 22> kPg7PacketTypes = {{
    {"SENSE", Pg7Counter::Sense},
    {"SCSI", Pg7Counter::Scsi},
    {"CUP", Pg7Counter::Cup},
    {"CODEUPDATE", Pg7Counter::Cup},
    {"BUGCHECK", Pg7Counter::BugCheck},
    {"DIAG ILOG", Pg7Counter::Diags},
    {"DIAG 4 CH WRITE", Pg7Counter::Diags},
    {"DIAG 4 CH READ", Pg7Counter::Diags},
    {"DIAG TEST", Pg7Counter::Diags},
    {"PO/ST", Pg7Counter::Post},
    {"LOADER ERROR", Pg7Counter::LoaderError},
    {"DRIVE ERROR", Pg7Counter::DriveError},
    {"DIR RD ERROR", Pg7Counter::DirRdError},
    {"DIR WR ERROR", Pg7Counter::DirWrError},
    {"CAL ERROR", Pg7Counter::CalError},
    {"OVERTEMP", Pg7Counter::Overtemp},
    {"EVENT", Pg7Counter::Event},
    {"***OPTIMIZE", Pg7Counter::Optimize},
    {"***RWPARAMSLOST", Pg7Counter::RwParamsLost},
    {"***POST", Pg7Counter::Post},
    {"***CALFAILURE", Pg7Counter::CalFailure},
    {"***CLEANING", Pg7Counter::Cleaning},
}};

const std::array<const char*, static_cast<size_t>(Pg7Counter::Count)> kPg7CounterLabels = {
    "Sense",    "SCSI",         "Event",        "BugCheck",     "Cup",          "Diags",
    "P.O.S.T.", "Loader Error", "Drive Error",  "Dir Rd Error", "Dir Wr Error", "Cal Error",
    "Overtemp", "Optimize",     "RWParamsLost", "CalFailure",   "Cleaning",     "Other",
};
