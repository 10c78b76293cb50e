// The table of built-in label texts (Windows-1252 bytes).
#include "config/default_param_labels.h"

// "\xB0" "F" is split in two literals so that the hex escape stops after B0.
const std::array<const char*, kDefaultParamLabelCount> DefaultParamLabels = {
    // Outdoor unit status values, STATUSLABELS positions 0 to 68.
    /*   0 */ "CMP | FAN | PFC (0=OFF / 1=ON)",
    /*   1 */ "DC Bus [V]",
    /*   2 */ "Target CMP Speed [rpm]",
    /*   3 */ "Compressor",
    /*   4 */ "Target OF Speed [rpm]",
    /*   5 */ "Fan",
    /*   6 */ "Bypass Valve | External Resistor | Heater | Reverse valve (0=OFF / 1=ON)",
    /*   7 */ "Working Mode",
    /*   8 */
    "CDT Target [\xB0"
    "F]",
    /*   9 */
    "Compressor Discharge Temperature [\xB0"
    "F]",
    /*  10 */
    "Outdoor Air Temperature [\xB0"
    "F]",
    /*  11 */
    "Outdoor Coil Temperature [\xB0"
    "F]",
    /*  12 */ "CDT Prot. [0:128]",
    /*  13 */ "OverHeating Prot. [0:128]",
    /*  14 */ "POWER in Prot. [0:128]",
    /*  15 */ "Defrost Status",
    /*  16 */ "CMP T Prot. [0:128]",
    /*  17 */ "FAN T Prot. [0:128]",
    /*  18 */ "CMP I Prot. [0:128]",
    /*  19 */ "Total Prot. [0:128]",
    /*  20 */
    "CMP T [\xB0"
    "F]",
    /*  21 */
    "OF T [\xB0"
    "F] || Target EEV2 Step ([0:480] / -1=AUTO)",
    /*  22 */ "CMP I [mA]",
    /*  23 */ "OF I [mA] || EEV2 Step ([0:480] / -1=AUTO)",
    /*  24 */ "OU TI Counter",
    /*  25 */ "OU IR Counter",
    /*  26 */ "IR Faults",
    /*  27 */ "System Operative (0=STANDBY / 1=OPERATIVE)",
    /*  28 */ "CT [rpm]",
    /*  29 */ "Cmp Status",
    /*  30 */ "Diagnostic Level",
    /*  31 */ "Test Mode OU (0=OFF/1=TEST_STBY/2=TEST_ON/3=Resistenze/4=CAP_STBY/5=CAP_ON)",
    /*  32 */ "IR No Response Counter",
    /*  33 */ "SetCommand: 58213 + (1=OU_StFl/2=OU_Rst/3=IU_StFl/4=IU_Rst/5=IR_Rst/6=NO_IR_Rst)",
    /*  34 */ "IR Magnitude",
    /*  35 */ "IR AngleOffset",
    /*  36 */ "IR RotAngleOffset",
    /*  37 */ "CMP SpeedError",
    /*  38 */ "CMP Vibration Int.",
    /*  39 */
    "Compressor Top Shell Temperature [\xB0"
    "F]",
    /*  40 */ "IR ADC Vref [mV]",
    /*  41 */ "IR ADC Voffset [mV]",
    /*  42 */ "OU to IR Cmd (99-105=Dis-En_PL&ZS / 107=Force_ZS / 109-111-113=Force_Mag-Ang-RotAng)",
    /*  43 */ "Outdoor Unit Power Consumption [kW]",
    /*  44 */ "V in [V]",
    /*  45 */ "I in [mA]",
    /*  46 */ "EEV Common Mode",
    /*  47 */ "Num IU ON",
    /*  48 */ "Connection Test (0=NotActive / [1:NUM_IU]=Running / -1=ND)",
    /*  49 */ "CMP MAX Speed [rpm x100]",
    /*  50 */ "CMP MAX Current [A /10]",
    /*  51 */ "CMP MIN Speed [rpm x100]",
    /*  52 */ "POWER in MAX [W x10]",
    /*  53 */ "KP CT",
    /*  54 */ "KI CT",
    /*  55 */ "KP MC",
    /*  56 */ "KP MD",
    /*  57 */ "K COND",
    /*  58 */ "K EVAP",
    /*  59 */ "K CONST",
    /*  60 */ "EEV Tau",
    /*  61 */ "CMP Tau",
    /*  62 */ "CT Tau",
    /*  63 */ "EEV OFF [HEAT]",
    /*  64 */ "OUTDOOR UNIT MODEL",
    /*  65 */ "OUTDOOR UNIT MOTOR",
    /*  66 */ "EEV MIN ([0:255] / -1=AUTO)",
    /*  67 */ "Software Version",
    /*  68 */ "OUTDOOR UNIT IR SVN",
    // 69: no text, never used.
    nullptr,
    // Indoor units, positions 0 to 39 of sets 0 to 2.
    /*  70 */ "Target Working Mode (0=OFF / 1=COOL / 2=DRY / 3=HEAT / 4=FAN / 5=AUTO)",
    /*  71 */ "Working Mode",
    /*  72 */ "Target EEV Step [0:480]",
    /*  73 */ "Expansion Valve",
    /*  74 */ "Expansion Valve",
    /*  75 */
    "Set-Point Temperature [\xB0"
    "F]",
    /*  76 */ "-",
    /*  77 */ "I Feel Mode",
    /*  78 */
    "Room Air Temp by Remote control [\xB0"
    "F]",
    /*  79 */
    "RAT (RC temp. + DeltaRAT) [\xB0"
    "F]",
    /*  80 */
    "Room Air Temp by Indoor sensor [\xB0"
    "F]",
    /*  81 */
    "Indoor Coil Temperature [\xB0"
    "F]",
    /*  82 */
    "Wide Tube Temperature [\xB0"
    "F]",
    /*  83 */
    "Narrow Tube Temperature [\xB0"
    "F]",
    /*  84 */ "EEV Differential Mode",
    /*  85 */
    "SC [\xB0"
    "F]",
    /*  86 */ "Airflow [cfm]",
    /*  87 */ "Blower speed [rpm]",
    /*  88 */ "ColdDraft Prot. | HiPower | Night Mode [0=OFF / 1=ON]",
    /*  89 */ "DP off cmd (2) | Drain Pump (2) | Water Signal (2) [0=OFF / 1=ON / -1=ND]",
    /*  90 */ "-",
    /*  91 */ "Flap 1 (0=Closed / 1=Open) [x100] + Flap 2 Pos. (0=AutoSwing 1/2/3/4/5/6 7=FullSwing)",
    /*  92 */ "OverHeating Prot. [0:128]",
    /*  93 */ "Freezup Prot. [0:128]",
    /*  94 */
    "Auxiliary Indoor Coil Temperature (if present) [\xB0"
    "F]",
    /*  95 */ "IU TI Counter",
    /*  96 */ "Diagnostic Level",
    /*  97 */ "Blower speed limit [rpm]",
    /*  98 */ "Load Ratio [0:100 %]",
    /*  99 */ "CT Prop",
    /* 100 */ "CT Int",
    /* 101 */ "CT Tot (After Prot.)",
    /* 102 */ "Dry Level",
    /* 103 */ "KP CT",
    /* 104 */ "KI CT",
    /* 105 */
    "COND Correction [16th \xB0"
    "F]",
    /* 106 */
    "EVAP Correction [16th \xB0"
    "F]",
    /* 107 */ "INDOOR UNIT MODEL",
    /* 108 */ "CT MAX",
    /* 109 */ "Software Version",
    // The ZIZU unit, positions 0 to 39 of set 3.
    /* 110 */ "Target Working Mode",
    /* 111 */ "Working Mode",
    /* 112 */ "-",
    /* 113 */ "-",
    /* 114 */ "-",
    /* 115 */
    "Set-Point Temperature [\xB0"
    "F]",
    /* 116 */
    "Water Temperature [\xB0"
    "F]",
    /* 117 */ "-",
    /* 118 */ "-",
    /* 119 */ "-",
    /* 120 */ "-",
    /* 121 */
    "Outlet Coil Temperature [\xB0"
    "F]",
    /* 122 */ "-",
    /* 123 */ "-",
    /* 124 */ "-",
    /* 125 */ "-",
    /* 126 */ "Target Pump Speed",
    /* 127 */ "Pump status",
    /* 128 */ "-",
    /* 129 */ "-",
    /* 130 */ "-",
    /* 131 */ "-",
    /* 132 */ "-",
    /* 133 */ "-",
    /* 134 */
    "Outlet Water Temperature [\xB0"
    "F]",
    /* 135 */ "-",
    /* 136 */ "Diagnostic Level",
    /* 137 */ "-",
    /* 138 */ "-",
    /* 139 */ "-",
    /* 140 */ "-",
    /* 141 */ "-",
    /* 142 */ "-",
    /* 143 */ "-",
    /* 144 */ "-",
    /* 145 */ "-",
    /* 146 */ "-",
    /* 147 */ "-",
    /* 148 */ "-",
    /* 149 */ "Software Version",
};
