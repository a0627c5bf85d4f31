# The settings example of the help text, kept as lines in the man page.
/^\[BeneChargeProfile\]$/i\
.nf
/^BeneChargeFlag=FALSE$/{
n
s/^\.IP$//
}
/^RangeFee3=30$/a\
.fi
