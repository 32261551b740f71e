; QBM71K - boot ROM of the Zorvex machines: start-up and monitor.
;
; At reset the processor starts at 0000H with this ROM at 0000H-0FFFH and
; the video RAM at 1000H-1FFFH. The monitor finds the top of RAM, puts the
; stack there, clears the screen, shows the banner with the RAM size,
; announces the Basic keyboard mode, and reads command lines.
;
; RAM used by the monitor: 2000H-20FFH (variables, line buffer) and the
; 256 bytes below the top of RAM (stack). M, F and L refuse to write there.
; User programs run from 2100H upward.

TVRAM   EQU     1000H           ; video RAM: row r, column c at TVRAM+128*r+c
NBLIG   EQU     24              ; rows on the screen
LIGMAX  EQU     76              ; longest command line

; Machine characters used in the French texts.
CAGRAV  EQU     10H             ; a grave
CECIRC  EQU     15H             ; e circumflex
COCIRC  EQU     16H             ; o circumflex
CEAIGU  EQU     18H             ; e acute

; Ports.
PJEU    EQU     7FH             ; instruction set (bank PROM table)
PHORL   EQU     81H             ; clock latch (OUT), digits at PHORD (IN)
PHORD   EQU     0A1H
PECRAN  EQU     82H             ; bit 7: 128 columns, bit 0: second font
PGRX    EQU     83H             ; graphics X
PCOMMUT EQU     8FH             ; memory switch
PGRY    EQU     0A3H            ; graphics Y
PIMPR   EQU     0AFH            ; printer character latch
PCLAVC  EQU     0C2H            ; keyboard: character (IN), mode pulses (OUT)
PGRZ    EQU     0C3H            ; graphics point colour
PSTROBE EQU     0CFH            ; printer strobe (bit 1 rising edge)
PCLAVS  EQU     0E2H            ; keyboard: status (IN), acknowledge (OUT)
PGREFF  EQU     0E3H            ; graphics clear
PDON95  EQU     0EFH            ; arithmetic processor data
PDSQ    EQU     0B9H            ; floppy controller data (both ways)
PDSQS   EQU     99H             ; floppy controller status: bit 0, a byte waits
PCMD95  EQU     0FFH            ; arithmetic processor command / status

; Monitor variables.
LIGCUR  EQU     2000H           ; cursor row 0..23
COLCUR  EQU     2001H           ; cursor column
LARGEUR EQU     2002H           ; columns shown: 80 or 128
CURVIS  EQU     2003H           ; 1 while the cursor cell is shown inverted
TAILLEK EQU     2004H           ; RAM size in K bytes
PILE    EQU     2006H           ; (2) stack top: top of RAM + 1
BASPIL  EQU     2008H           ; (2) lowest byte of the stack area
NOMBRE  EQU     200AH           ; (3) 24-bit number, low byte first
ADRCOUR EQU     200DH           ; (2) address argument of M
ADRTRAV EQU     2010H           ; (2) address being changed by M
PTRARG  EQU     2012H           ; (2) line position of the first byte of M
VAL1    EQU     2014H           ; (2) first operand of A
VAL2    EQU     2016H           ; (2) second operand of A
HEURE   EQU     2018H           ; (12) clock digits
PORTIO  EQU     2024H           ; (3) IN/OUT port instruction and RET
DBL     EQU     2028H           ; (8) double operand, low byte first
RESULT  EQU     2030H           ; (8) result bytes, high byte first
LIGNE   EQU     2040H           ; (LIGMAX+1) command line
SONDE   EQU     20A0H           ; copy of the memory switch probe
DSQSEC  EQU     20C0H           ; (2) sector number, then
DSQCOD  EQU     20C2H           ; the drive code: the command message
DSQADR  EQU     20C3H           ; (2) memory address of the sector
DSQCMD  EQU     20C5H           ; controller command code
DSQREP  EQU     20C8H           ; (9) reply frame of the controller
DSQTET  EQU     20D1H           ; (6) header of a frame
FINMON  EQU     20FFH           ; last byte of the monitor area
ZONEUT  EQU     2100H           ; first byte for user programs

; ---------------------------------------------------------------------------
; Reset and restart vectors.

        ORG     0000H
        DI
        JMP     DEMARRE

        ORG     0008H           ; RST 1 .. RST 7: back to the monitor
        JMP     CHAUD
        ORG     0010H
        JMP     CHAUD
        ORG     0018H
        JMP     CHAUD
        ORG     0020H
        JMP     CHAUD
        ORG     0028H
        JMP     CHAUD
        ORG     002CH           ; "INT" button
        JMP     MARQINT
        ORG     0030H
        JMP     CHAUD
        ORG     0038H
        JMP     CHAUD

        ORG     0040H

; Interrupt: shows "INT" in inverse video at the end of the top row.
MARQINT:
        PUSH    PSW
        PUSH    H
        LDA     LARGEUR
        SUI     3
        MOV     L,A
        MVI     H,HIGH TVRAM
        MVI     M,'I'+80H
        INX     H
        MVI     M,'N'+80H
        INX     H
        MVI     M,'T'+80H
        POP     H
        POP     PSW
        EI
        RET

; ---------------------------------------------------------------------------
; Cold start.

DEMARRE:
; Top of RAM: the last byte of each 4 KB block is RAM when it keeps 55H
; and AAH; absent RAM reads FFH. The byte is put back afterwards.
        LXI     H,0FFFFH
SONTOP: MOV     B,M
        MVI     M,55H
        MOV     A,M
        CPI     55H
        JNZ     PASRAM
        MVI     M,0AAH
        MOV     A,M
        CPI     0AAH
        JNZ     PASRAM
        MOV     M,B
        JMP     TROUVE
PASRAM: MOV     A,H
        SUI     10H
        MOV     H,A
        CPI     2FH
        JNC     SONTOP
        MVI     H,2FH           ; never less than 4 K
TROUVE: INX     H
        SPHL
        SHLD    PILE
        DCR     H
        SHLD    BASPIL
        MOV     A,H             ; K bytes = (top - 1FFFH) / 1024
        ADI     1
        SUI     20H
        RRC
        RRC
        ANI     3FH
        STA     TAILLEK
; A memory switch (T7, T9-64, T7E) puts RAM under the ROM and the video
; RAM: the probe runs from RAM and tells by a byte written at 1FFFH.
        LXI     H,SONDROM
        LXI     D,SONDE
        MVI     C,SONDFIN-SONDROM
COPIE:  MOV     A,M
        STAX    D
        INX     H
        INX     D
        DCR     C
        JNZ     COPIE
        CALL    SONDE
        CPI     5AH
        JNZ     ECRAN
        MVI     A,64
        STA     TAILLEK
        CALL    BANQUE
        JNZ     ECRAN
        MVI     A,128
        STA     TAILLEK
ECRAN:  MVI     A,80
        STA     LARGEUR
        XRA     A
        OUT     PECRAN
        CALL    EFFECR
; Keyboard mode: a low then a high pulse on port C2H within 50 ms
; announces the Basic mode; the keyboard then queues a 7FH, ignored.
        XRA     A
        OUT     PCLAVC
        MVI     A,80H
        OUT     PCLAVC
        LXI     H,MSGTIT
        CALL    ECRIT
        LDA     TAILLEK
        CALL    ECRDEC8
        LXI     H,MSGKO
        CALL    ECRIT
        EI
        JMP     BOUCLE

; Memory switch probe, copied to SONDE and called there. A = 5AH when the
; switch exists (the second write went to RAM, not to the video RAM).
SONDROM:
        MVI     A,5AH
        STA     1FFFH
        MVI     A,81H
        OUT     PCOMMUT
        MVI     A,0A5H
        STA     1FFFH
        MVI     A,01H
        OUT     PCOMMUT
        LDA     1FFFH
        RET
SONDFIN:

; Two banks (T7E): with instruction set 80H data go to bank 1. Z set when
; 3000H of bank 1 and of bank 0 keep different bytes. Both are restored.
BANQUE: LDA     3000H
        MOV     C,A
        MVI     A,80H
        OUT     PJEU
        LDA     3000H
        MOV     D,A
        MVI     A,0A5H
        STA     3000H
        XRA     A
        OUT     PJEU
        MVI     A,5AH
        STA     3000H
        MVI     A,80H
        OUT     PJEU
        LDA     3000H
        MOV     B,A
        MOV     A,D
        STA     3000H
        XRA     A
        OUT     PJEU
        MOV     A,C
        STA     3000H
        MOV     A,B
        CPI     0A5H
        RET

; Warm start (RST 1..7): back to the prompt with a fresh stack.
CHAUD:  LHLD    PILE
        SPHL
        CALL    DEBLIG
        LXI     H,MSGRST
        CALL    ECRIT
        EI

; ---------------------------------------------------------------------------
; Command loop.

BOUCLE: LHLD    PILE
        SPHL
        CALL    DEBLIG
        MVI     A,'*'
        CALL    ECRCAR
        MVI     A,' '
        CALL    ECRCAR
        CALL    LIRLIG
        CALL    EXECUT
        JMP     BOUCLE

; Runs the command of LIGNE. The routine gets HL just after the letter.
EXECUT: LXI     H,LIGNE
        CALL    SAUTESP
        ORA     A
        RZ
        CALL    MAJ
        INX     H
        MOV     B,A
        LXI     D,TABCMD
EXE1:   LDAX    D
        ORA     A
        JZ      ERRCMD
        INX     D
        CMP     B
        JZ      EXE2
        INX     D
        INX     D
        JMP     EXE1
EXE2:   XCHG
        MOV     A,M
        INX     H
        MOV     H,M
        MOV     L,A
        XCHG
        PUSH    D
        RET

TABCMD: DB      '?'
        DW      CMDAIDE
        DB      'D'
        DW      CMDDUMP
        DB      'M'
        DW      CMDMOD
        DB      'F'
        DW      CMDREMP
        DB      'G'
        DW      CMDGO
        DB      'I'
        DW      CMDIN
        DB      'O'
        DW      CMDOUT
        DB      'H'
        DW      CMDHEUR
        DB      'P'
        DW      CMDIMPR
        DB      'T'
        DW      CMDTRACE
        DB      'E'
        DW      CMDEFF
        DB      'A'
        DW      CMDADD
        DB      'C'
        DW      CMDCOL
        DB      'L'
        DW      CMDLSEC
        DB      'S'
        DW      CMDESEC
        DB      'K'
        DW      CMDFMT
        DB      0

; Errors: message on a line of its own, then a fresh prompt.
ERRCMD: LXI     H,MSGCMD
        JMP     ERREUR
ERRSYN: LXI     H,MSGSYN
        JMP     ERREUR
ERRVAL: LXI     H,MSGVAL
        JMP     ERREUR
ERRMAN: LXI     H,MSGMAN
        JMP     ERREUR
ERRPRO: LXI     H,MSGPRO
        JMP     ERREUR
ERRORD: LXI     H,MSGORD
        JMP     ERREUR
ERRPRT: LXI     H,MSGPRT
        JMP     ERREUR
ERRNB:  LXI     H,MSGNB
ERREUR: CALL    DEBLIG
        CALL    ECRIT
        CALL    ALALIG
        JMP     BOUCLE

; ---------------------------------------------------------------------------
; Commands.

; ? : the list of commands.
CMDAIDE:
        CALL    FINARG
        LXI     H,AIDE
AIDE1:  MOV     A,M
        ORA     A
        RZ
        CALL    ECRIT
        CALL    ALALIG
        JMP     AIDE1

; D start [end] : 16 bytes a line, in hexadecimal and as characters.
; Without an end, 128 bytes. A key stops the listing.
CMDDUMP:
        CALL    ARGHEX
        PUSH    D
        CALL    PLUSARG
        JZ      DUMPDF
        CALL    ARGHEX
        CALL    FINARG
        POP     H
        CALL    CMPHD
        JC      ERRORD
        JMP     DUMPL
DUMPDF: POP     H
        LXI     D,7FH
        PUSH    H
        DAD     D
        XCHG
        POP     H
        JNC     DUMPL
        LXI     D,0FFFFH
DUMPL:  CALL    STOPTCH
        CALL    ECRHX4
        CALL    ESPACE
        CALL    ESPACE
        PUSH    H
        MVI     C,16
DUMPB:  MOV     A,M
        CALL    ECRHX2
        CALL    ESPACE
        INX     H
        DCR     C
        JNZ     DUMPB
        POP     H
        CALL    ESPACE
        MVI     C,16
DUMPA:  MOV     A,M
        CPI     20H
        JC      DUMPP
        CPI     7FH
        JC      DUMPC
DUMPP:  MVI     A,'.'
DUMPC:  CALL    ECRCAR
        INX     H
        DCR     C
        JNZ     DUMPA
        CALL    ALALIG
        MOV     A,H             ; stop after FFFFH
        ORA     A
        JNZ     DUMPN
        MOV     A,L
        CPI     16
        RC
DUMPN:  CALL    CMPHD
        RC
        JMP     DUMPL

; M address byte... : checks every byte and address first, then writes.
CMDMOD: CALL    ARGHEX
        XCHG
        SHLD    ADRCOUR
        XCHG
        CALL    PLUSARG
        JZ      ERRMAN
        SHLD    PTRARG
        MVI     C,0             ; pass 0 checks, pass 1 writes
MOD1:   LHLD    ADRCOUR
        SHLD    ADRTRAV
        LHLD    PTRARG
MOD2:   CALL    ARGOCT
        PUSH    H
        LHLD    ADRTRAV
        MOV     A,C
        ORA     A
        JNZ     MOD3
        PUSH    D
        MOV     D,H
        MOV     E,L
        CALL    PROTEGE
        POP     D
        JMP     MOD4
MOD3:   MOV     M,E
MOD4:   INX     H
        SHLD    ADRTRAV
        POP     H
        CALL    PLUSARG
        JNZ     MOD2
        INR     C
        MOV     A,C
        CPI     2
        JC      MOD1
        RET

; F start end byte
CMDREMP:
        CALL    ARGHEX
        PUSH    D
        CALL    ARGHEX
        PUSH    D
        CALL    ARGOCT
        MOV     C,A
        CALL    FINARG
        POP     D
        POP     H
        CALL    CMPHD
        JC      ERRORD
        CALL    PROTEGE
REMP1:  MOV     M,C
        MOV     A,L
        CMP     E
        JNZ     REMP2
        MOV     A,H
        CMP     D
        RZ
REMP2:  INX     H
        JMP     REMP1

; G address : calls the program; its RET comes back to the prompt.
CMDGO:  CALL    ARGHEX
        CALL    FINARG
        LXI     H,GORET
        PUSH    H
        XCHG
        PCHL
GORET:  RET

; I port : "Port pp = vv"
CMDIN:  CALL    ARGOCT
        CALL    FINARG
        MVI     A,0DBH          ; IN pp
        CALL    PREPIO
        CALL    PORTIO
        PUSH    PSW
        LXI     H,MSGPORT
        CALL    ECRIT
        MOV     A,E
        CALL    ECRHX2
        LXI     H,MSGEGAL
        CALL    ECRIT
        POP     PSW
        CALL    ECRHX2
        JMP     ALALIG

; O port byte : also keeps the line width when the port is 82H, and
; refuses what would pull the ROM or the monitor's bank away.
CMDOUT: CALL    ARGOCT
        PUSH    D
        CALL    ARGOCT
        MOV     C,A
        CALL    FINARG
        POP     D
        MOV     A,E             ; another instruction set or RAM in place
        CPI     PJEU            ; of the ROM would stop the monitor
        JNZ     OUTC1
        MOV     A,C
        ORA     A
        JNZ     ERRPRT
OUTC1:  CPI     PCOMMUT
        JNZ     OUTC2
        MOV     A,C
        ANI     81H
        CPI     01H
        JNZ     ERRPRT
OUTC2:  MVI     A,0D3H          ; OUT pp
        CALL    PREPIO
        MOV     A,C
        CALL    PORTIO
        MOV     A,E
        CPI     PECRAN
        RNZ
        MOV     A,C
        ORA     A
        MVI     A,80
        JP      LARG1
        MVI     A,128
LARG1:  STA     LARGEUR
        RET

; Writes the instruction A, the port E and RET at PORTIO.
PREPIO: STA     PORTIO
        MOV     A,E
        STA     PORTIO+1
        MVI     A,0C9H
        STA     PORTIO+2
        RET

; H : "Il est hh:mm:ss,t le jour jj/mm"
CMDHEUR:
        CALL    FINARG
        OUT     PHORL
        LXI     H,HEURE
        MVI     C,12
HEUR1:  IN      PHORD
        MOV     M,A
        INX     H
        DCR     C
        JNZ     HEUR1
        LXI     D,FMTHEUR
HEUR2:  LDAX    D
        INX     D
        CPI     0FFH
        JZ      ALALIG
        CPI     0FEH
        JZ      HEUR4
        CPI     12
        JNC     HEUR3
        LXI     H,HEURE         ; digit number A
        ADD     L
        MOV     L,A
        MOV     A,M
HEUR3:  CALL    ECRCAR
        JMP     HEUR2
HEUR4:  LDA     HEURE+9         ; day of the week, 0 = Sunday
        SUI     '0'
        CPI     7
        JNC     HEUR2
        LXI     H,JOURS
HEUR5:  ORA     A
        JZ      HEUR6
        MOV     B,A
JSUIV:  MOV     A,M             ; skip one name
        INX     H
        ORA     A
        JNZ     JSUIV
        MOV     A,B
        DCR     A
        JMP     HEUR5
HEUR6:  CALL    ECRIT
        JMP     HEUR2

; P text : the rest of the line, then CR LF, to the printer.
CMDIMPR:
        CALL    SAUTESP
IMPR1:  MOV     A,M
        ORA     A
        JZ      IMPR2
        CALL    IMPCAR
        INX     H
        JMP     IMPR1
IMPR2:  MVI     A,0DH
        CALL    IMPCAR
        MVI     A,0AH
        CALL    IMPCAR
        LXI     H,MSGIMP
        CALL    ECRIT
        JMP     ALALIG

; One character to the printer: latch, then a rising edge of bit 1.
IMPCAR: PUSH    PSW
        XRA     A
        OUT     PSTROBE
        POP     PSW
        OUT     PIMPR
        MVI     A,02H
        OUT     PSTROBE
        RET

; T : fifteen nested squares, colour 15 outside down to 1 inside.
CMDTRACE:
        CALL    FINARG
        MVI     B,0             ; square number k
TRAC1:  MOV     A,B
        ADD     A
        ADD     A
        ADD     A
        MOV     D,A             ; x0 = 8k
        CMA
        MOV     E,A             ; x1 = 255 - 8k
        MVI     A,15
        SUB     B
        MOV     C,A             ; colour 15 - k
        MOV     H,D             ; i = x0 .. x1
TRAC2:  MOV     A,H
        OUT     PGRX
        MOV     A,D
        OUT     PGRY
        MOV     A,C
        OUT     PGRZ            ; (i, x0)
        MOV     A,E
        OUT     PGRY
        MOV     A,C
        OUT     PGRZ            ; (i, x1)
        MOV     A,D
        OUT     PGRX
        MOV     A,H
        OUT     PGRY
        MOV     A,C
        OUT     PGRZ            ; (x0, i)
        MOV     A,E
        OUT     PGRX
        MOV     A,C
        OUT     PGRZ            ; (x1, i)
        MOV     A,H
        CMP     E
        JZ      TRAC3
        INR     H
        JMP     TRAC2
TRAC3:  INR     B
        MOV     A,B
        CPI     15
        JC      TRAC1
        LXI     H,MSGTRA
        CALL    ECRIT
        JMP     ALALIG

; E : clears the graphics plane (the fill is the last colour written).
CMDEFF: CALL    FINARG
        XRA     A
        OUT     PGRX
        OUT     PGRY
        OUT     PGRZ
        OUT     PGREFF
        LXI     H,MSGEFF
        CALL    ECRIT
        JMP     ALALIG

; C : switches between 80 and 128 columns.
CMDCOL: CALL    FINARG
        LDA     LARGEUR
        CPI     80
        JZ      COL128
        MVI     A,80
        STA     LARGEUR
        XRA     A
        OUT     PECRAN
        LXI     H,MSG80
        CALL    ECRIT
        JMP     ALALIG
COL128: MVI     A,128
        STA     LARGEUR
        MVI     A,80H
        OUT     PECRAN
        LXI     H,MSG128
        CALL    ECRIT
        JMP     ALALIG

; A n1 n2 : the arithmetic processor adds two decimal numbers; the sum is
; shown from the bytes of its result, and the bytes themselves.
CMDADD: CALL    ARGDEC
        XCHG
        SHLD    VAL1
        XCHG
        CALL    ARGDEC
        XCHG
        SHLD    VAL2
        XCHG
        CALL    FINARG
; The result index is not known (a port read may have moved it): push
; 01H..08H and read until 01H, the lowest byte; the next read is then the
; highest byte of the top of stack.
        MVI     A,1
ADD1:   OUT     PDON95
        INR     A
        CPI     9
        JC      ADD1
        MVI     C,8
ADD2:   IN      PDON95
        CPI     1
        JZ      ADD3
        DCR     C
        JNZ     ADD2
ADD3:   LHLD    VAL1
        XCHG
        CALL    EMPENT
        LHLD    VAL2
        XCHG
        CALL    EMPENT
        MVI     A,29H           ; TOS := TOS + NOS
        OUT     PCMD95
        LXI     H,RESULT
        MVI     C,8
ADD4:   IN      PDON95
        MOV     M,A
        INX     H
        DCR     C
        JNZ     ADD4
        LHLD    VAL1
        CALL    ECRD16
        LXI     H,MSGPLUS
        CALL    ECRIT
        LHLD    VAL2
        CALL    ECRD16
        LXI     H,MSGEGAL
        CALL    ECRIT
        CALL    DECODE
        JC      ADD5
        CALL    ECRDEC
        JMP     ADD6
ADD5:   LXI     H,MSGHORS
        CALL    ECRIT
ADD6:   CALL    ALALIG
        LXI     H,MSGOCT
        CALL    ECRIT
        LXI     H,RESULT
        MVI     C,8
ADD7:   MOV     A,M
        CALL    ECRHX2
        CALL    ESPACE
        INX     H
        DCR     C
        JNZ     ADD7
        JMP     ALALIG

; Pushes DE (0..65535) on the arithmetic processor as a double, lowest
; byte first.
EMPENT: LXI     H,DBL
        MVI     B,8
EMP1:   MVI     M,0
        INX     H
        DCR     B
        JNZ     EMP1
        MOV     A,D
        ORA     E
        JZ      EMP4
        LXI     B,040EH         ; exponent 1023 + 15, one less per shift
EMP2:   MOV     A,D
        ORA     A
        JM      EMP3
        XCHG
        DAD     H
        XCHG
        DCX     B
        JMP     EMP2
EMP3:   XCHG                    ; drop the leading 1
        DAD     H
        XCHG
        MOV     A,B
        MOV     H,C
        CALL    COMB
        STA     DBL+7
        MOV     A,C
        MOV     H,D
        CALL    COMB
        STA     DBL+6
        MOV     A,D
        MOV     H,E
        CALL    COMB
        STA     DBL+5
        MOV     A,E
        MVI     H,0
        CALL    COMB
        STA     DBL+4
EMP4:   LXI     H,DBL
        MVI     B,8
EMP5:   MOV     A,M
        OUT     PDON95
        INX     H
        DCR     B
        JNZ     EMP5
        RET

; A := low nibble of A, then high nibble of H. Uses L.
COMB:   RLC
        RLC
        RLC
        RLC
        ANI     0F0H
        MOV     L,A
        MOV     A,H
        RRC
        RRC
        RRC
        RRC
        ANI     0FH
        ORA     L
        RET

; NOMBRE := the whole value of the double in RESULT (high byte first).
; CY set when it is negative, not whole enough or 2^24 or more.
DECODE: LXI     H,0
        SHLD    NOMBRE
        SHLD    NOMBRE+1
        LDA     RESULT
        ORA     A
        STC
        RM                      ; negative
        LDA     RESULT+1        ; HL := exponent (11 bits)
        MOV     H,A
        LDA     RESULT
        CALL    COMB
        MOV     B,A
        LDA     RESULT
        RRC
        RRC
        RRC
        RRC
        ANI     07H
        MOV     H,A
        MOV     L,B
        ORA     L
        RZ                      ; exponent 0: the value is 0 (CY clear)
        LXI     D,0FC01H        ; p := exponent - 1023
        DAD     D
        MOV     A,H
        ORA     A
        STC
        RNZ                     ; p < 0 or p > 255
        MOV     A,L
        CPI     24
        CMC
        RC                      ; p > 23
        MVI     A,23
        SUB     L
        MOV     C,A             ; shifts = 23 - p
        LDA     RESULT+1        ; 1 m51..m29
        ANI     0FH
        ORI     10H
        LXI     H,RESULT+2
        MOV     H,M
        CALL    COMB3
        STA     NOMBRE+2
        LDA     RESULT+2
        LXI     H,RESULT+3
        MOV     H,M
        CALL    COMB3
        STA     NOMBRE+1
        LDA     RESULT+3
        LXI     H,RESULT+4
        MOV     H,M
        CALL    COMB3
        STA     NOMBRE
DEC2:   MOV     A,C
        ORA     A
        RZ                      ; CY clear
        LXI     H,NOMBRE+2
        ORA     A
        MOV     A,M
        RAR
        MOV     M,A
        DCX     H
        MOV     A,M
        RAR
        MOV     M,A
        DCX     H
        MOV     A,M
        RAR
        MOV     M,A
        DCR     C
        JMP     DEC2

; A := (A shl 3) or (H shr 5), 8 bits.
COMB3:  RLC
        RLC
        RLC
        ANI     0F8H
        MOV     L,A
        MOV     A,H
        RLC
        RLC
        RLC
        ANI     07H
        ORA     L
        RET

; ---------------------------------------------------------------------------
; Floppy disks, through the controller: a command frame (A5H, 7 header
; bytes, message of sector low, sector high, drive code and its checksum),
; the controller's echoes, then its 9-byte reply. Every wait for a byte is
; bounded, so that a silent controller gives a message, never a hang.

; L drive sector address : the sector into memory (256 bytes).
CMDLSEC:
        CALL    ARGDSQ
        PUSH    H
        LHLD    DSQADR
        MOV     D,H
        MOV     E,L
        INR     D               ; DE := address + 255
        DCX     D
        MOV     A,D
        CMP     H
        JC      ERRPRO          ; past FFFFH
        CALL    PROTEGE
        POP     H
        CALL    FINARG
        MVI     A,0CH
        CALL    DSQCMDE
        LDA     DSQREP+2
        CPI     01H
        RNZ                     ; a status reply, already shown
        CALL    DSQACK          ; two acknowledgements, then 8 blocks
        CALL    DSQACK
        LHLD    DSQADR
        MVI     C,8
LSEC1:  MVI     B,32
        MVI     E,0
LSEC2:  CALL    DSQLIT
        MOV     M,A
        XRA     E
        MOV     E,A
        INX     H
        DCR     B
        JNZ     LSEC2
        CALL    DSQLIT          ; the block checksum
        CMP     E
        JNZ     DSQMAL
        CALL    DSQACK
        DCR     C
        JNZ     LSEC1
        LXI     H,MSGDOK
        JMP     DSQMSG

; S drive sector address : 256 bytes of memory to the sector.
CMDESEC:
        CALL    ARGDSQ
        CALL    FINARG
        MVI     A,0DH
        CALL    DSQENV
        MVI     A,0A5H          ; data frame: header of 256 bytes
        CALL    DSQECR
        MVI     B,1
        MVI     C,0
        MVI     A,0DH
        CALL    DSQENT
        LHLD    DSQADR
        MVI     C,8
ESEC1:  MVI     B,32
        CALL    DSQBLC
        CALL    DSQLIT          ; the echo of the block checksum
        DCR     C
        JNZ     ESEC1
        JMP     DSQREPL

; K drive : the whole disk becomes zeros, after a confirmation.
CMDFMT: CALL    ARGLEC
        CALL    FINARG
        LXI     H,0
        SHLD    DSQSEC
        CALL    DEBLIG
        LXI     H,MSGFMQ
        CALL    ECRIT
        CALL    LITTCH
        CALL    MAJ
        CPI     'O'
        JNZ     FMTNON
        MOV     A,B
        CPI     3
        JNZ     FMTNON
        MVI     A,'O'
        CALL    ECRCAR
        CALL    ALALIG
        MVI     A,1BH
        JMP     DSQCMDE
FMTNON: LXI     H,MSGABD
        JMP     DSQMSG

; Sends the command A and reads the reply into DSQREP.
DSQCMDE:
        CALL    DSQENV
DSQREPL:
        LXI     H,DSQREP
        MVI     B,9
        MVI     E,0
REP1:   CALL    DSQLIT
        MOV     M,A
        INX     H
        DCR     B
        JNZ     REP1
        LXI     H,DSQREP+2      ; bytes 2 to 8 XOR to 0
        MVI     B,7
REP2:   MOV     A,E
        XRA     M
        MOV     E,A
        INX     H
        DCR     B
        JNZ     REP2
        ORA     A
        JNZ     DSQMAL
        LHLD    DSQREP
        MOV     A,L
        CPI     0AAH
        JNZ     DSQMAL
        MOV     A,H
        CPI     0A5H
        JNZ     DSQMAL
        LDA     DSQREP+2
        ORA     A
        JZ      DSQFIN
        DCR     A               ; 1: data follow, for a read only
        JNZ     DSQMAL
        LDA     DSQCMD
        CPI     0CH
        RZ
        JMP     DSQMAL
; Status reply: acknowledged, then shown.
DSQFIN: CALL    DSQACK
        LDA     DSQREP+4
        LXI     H,MSGDOK
        ORA     A
        JZ      DSQMSG
        LXI     H,MSGD69
        CPI     69H
        JZ      DSQMSG
        LXI     H,MSGD6A
        CPI     6AH
        JZ      DSQMSG
DSQMAL: LXI     H,MSGDRP
DSQMSG: CALL    DEBLIG
        CALL    ECRIT
        JMP     ALALIG

; Command frame with the command code A, up to the echo of the message.
DSQENV: STA     DSQCMD
        CALL    DSQVIDE
        MVI     A,0A5H
        CALL    DSQECR
        MVI     B,0             ; message of 3 bytes
        MVI     C,3
        LDA     DSQCMD
        CALL    DSQENT
        LXI     H,DSQSEC        ; sector low, high, drive code, checksum
        MVI     B,3
        CALL    DSQBLC
        JMP     DSQLIT          ; the echo: the command runs

; Header of length BC and command A, its XOR checksum, then its 2 echoes.
DSQENT: LXI     H,DSQTET
        MOV     M,B
        INX     H
        MOV     M,C
        INX     H
        MVI     M,0
        INX     H
        MVI     M,0
        INX     H
        MOV     M,A
        INX     H
        MVI     M,0
        LXI     H,DSQTET
        MVI     B,6
        CALL    DSQBLC
        CALL    DSQLIT
        JMP     DSQLIT

; Sends B bytes from HL, then their XOR. HL ends after them; uses A, B, E.
DSQBLC: MVI     E,0
BLC1:   MOV     A,M
        CALL    DSQECR
        XRA     E
        MOV     E,A
        INX     H
        DCR     B
        JNZ     BLC1
        MOV     A,E
        JMP     DSQECR

; Bytes left over from an interrupted exchange are read and dropped.
DSQVIDE:
        MVI     B,0
VIDE1:  IN      PDSQS
        RRC
        RNC
        IN      PDSQ
        DCR     B
        JNZ     VIDE1
        RET

DSQACK: XRA     A
DSQECR: OUT     PDSQ
        RET

; A := next byte of the controller, waiting at most 65536 polls.
DSQLIT: PUSH    H
        LXI     H,0
LIT2:   IN      PDSQS
        RRC
        JC      LIT3
        DCX     H
        MOV     A,H
        ORA     L
        JNZ     LIT2
        LXI     H,MSGDNR
        JMP     ERREUR
LIT3:   POP     H
        IN      PDSQ
        RET

; Arguments drive sector address into DSQCOD, DSQSEC, DSQADR.
ARGDSQ: CALL    ARGLEC
        PUSH    B               ; B := last sector of the drive
        CALL    ARGHEX
        XCHG
        SHLD    DSQSEC
        POP     B
        MOV     A,H
        ORA     L
        JZ      ERRSECT
        MOV     A,B
        CMP     H
        JC      ERRSECT
        JNZ     ADSQ1
        MOV     A,C
        CMP     L
        JC      ERRSECT
ADSQ1:  XCHG
        CALL    ARGHEX
        XCHG
        SHLD    DSQADR
        XCHG
        RET

; Drive number (1, 2, 9, 10, 11 or 12, as typed) into DSQCOD; BC := the
; last sector of the largest disk of that drive. Uses DE.
ARGLEC: CALL    ARGHEX
        MOV     A,D
        ORA     A
        JNZ     ERRLEC
        PUSH    H
        LXI     H,TABLEC
ALEC1:  MOV     A,M
        ORA     A
        JZ      ERRLEC
        CMP     E
        INX     H
        JZ      ALEC2
        INX     H
        JMP     ALEC1
ALEC2:  MOV     A,M
        STA     DSQCOD
        LXI     B,3080
        ANI     40H
        JZ      ALEC3
        LXI     B,4928
ALEC3:  POP     H
        RET
ERRLEC: LXI     H,MSGLEC
        JMP     ERREUR
ERRSECT:
        LXI     H,MSGSEC
        JMP     ERREUR

TABLEC: DB      01H,11H, 02H,12H, 09H,59H, 10H,5AH, 11H,5BH, 12H,5CH, 0

; ---------------------------------------------------------------------------
; Arguments of a command line. HL walks the line; an error goes straight
; to the message and the prompt.

SAUTESP:
        MOV     A,M
        CPI     ' '
        RNZ
        INX     H
        JMP     SAUTESP

; Z set at the end of the line.
PLUSARG:
        CALL    SAUTESP
        ORA     A
        RET

; Nothing may follow.
FINARG: CALL    SAUTESP
        ORA     A
        RZ
        JMP     ERRSYN

; DE := hexadecimal argument of 1 to 4 digits. Uses A, B.
ARGHEX: CALL    SAUTESP
        ORA     A
        JZ      ERRMAN
        LXI     D,0
        MVI     B,0
AHX1:   MOV     A,M
        CALL    MAJ
        CALL    VALHEX
        JC      AHX2
        PUSH    H
        XCHG
        DAD     H
        DAD     H
        DAD     H
        DAD     H
        ORA     L
        MOV     L,A
        XCHG
        POP     H
        INX     H
        INR     B
        JMP     AHX1
AHX2:   MOV     A,B
        ORA     A
        JZ      ERRSYN
        CPI     5
        JNC     ERRVAL
        MOV     A,M
        ORA     A
        RZ
        CPI     ' '
        RZ
        JMP     ERRSYN

; A, E := hexadecimal byte argument.
ARGOCT: CALL    ARGHEX
        MOV     A,D
        ORA     A
        JNZ     ERRVAL
        MOV     A,E
        RET

; DE := decimal argument 0..65535. Uses A, B.
ARGDEC: CALL    SAUTESP
        ORA     A
        JZ      ERRMAN
        LXI     D,0
        MVI     B,0
DCM1:   MOV     A,M
        SUI     '0'
        JC      DCM2
        CPI     10
        JNC     DCM2
        PUSH    H
        MOV     H,D
        MOV     L,E
        DAD     H
        JC      ERRNB
        DAD     H
        JC      ERRNB
        DAD     D
        JC      ERRNB
        DAD     H
        JC      ERRNB
        MOV     E,A
        MVI     D,0
        DAD     D
        JC      ERRNB
        XCHG
        POP     H
        INX     H
        INR     B
        JMP     DCM1
DCM2:   MOV     A,B
        ORA     A
        JZ      ERRNB
        MOV     A,M
        ORA     A
        RZ
        CPI     ' '
        RZ
        JMP     ERRNB

; A := value of the hexadecimal digit A; CY set when it is none.
VALHEX: SUI     '0'
        RC
        CPI     10
        CMC
        RNC
        SUI     'A'-'0'
        RC
        CPI     6
        CMC
        RC
        ADI     10
        RET

; Lower-case letter to upper case.
MAJ:    CPI     'a'
        RC
        CPI     'z'+1
        RNC
        SUI     20H
        RET

; CY set when DE < HL. Uses A.
CMPHD:  MOV     A,E
        SUB     L
        MOV     A,D
        SBB     H
        RET

; Refuses the range HL..DE when it touches the ROM, the monitor area or
; the stack area (from BASPIL to the top of memory).
PROTEGE:
        MOV     A,H
        CPI     10H
        JC      ERRPRO
        CPI     HIGH ZONEUT
        JNC     PROT1
        MOV     A,D
        CPI     HIGH FINMON
        JNC     ERRPRO
PROT1:  PUSH    H
        LHLD    BASPIL
        CALL    CMPHD
        POP     H
        RC
        JMP     ERRPRO

; The space bar stops a listing. Any other key stays queued for the next
; command line, so that commands can be typed ahead.
STOPTCH:
        IN      PCLAVS
        ORA     A
        RP
        IN      PCLAVC
        CPI     ' '
        RNZ
        OUT     PCLAVS
        LXI     H,MSGSTOP
        JMP     ERREUR

; ---------------------------------------------------------------------------
; Keyboard and line input.

; Waits for a key, blinking the cursor. A := character, B := attribute.
LITTCH: PUSH    H
LIT1:   CALL    CLIGNE
        IN      PCLAVS
        ORA     A
        JP      LIT1
        ANI     7FH
        MOV     B,A
        IN      PCLAVC
        PUSH    PSW
        OUT     PCLAVS
        CALL    CUROFF
        POP     PSW
        POP     H
        RET

; The cursor cell is inverted during the second half of every second.
CLIGNE: OUT     PHORL
        IN      PHORD
        CPI     '5'
        MVI     A,0
        JC      CLI1
        MVI     A,1
CLI1:   LXI     H,CURVIS
        CMP     M
        RZ
        MOV     M,A
CURINV: CALL    ADRCUR
        MOV     A,M
        XRI     80H
        MOV     M,A
        RET

CUROFF: LXI     H,CURVIS
        MOV     A,M
        ORA     A
        RZ
        MVI     M,0
        JMP     CURINV

; Reads a line into LIGNE (ended by 0). Keys with attribute 3 are
; characters (0DH Return); attribute 2 brings accented letters (10H-1FH);
; attributes 4 to 7 are editing keys, of which 1AH (left arrow, and the
; first half of Backspace) rubs out the last character.
LIRLIG: MVI     C,0
LIR1:   CALL    LITTCH
        MOV     E,A
        MOV     A,B
        CPI     3
        JZ      LIR3
        CPI     2
        JZ      LIR2
        CPI     4
        JC      LIR1
        CPI     8
        JNC     LIR1
        MOV     A,E
        CPI     1AH
        JNZ     LIR1
        MOV     A,C
        ORA     A
        JZ      LIR1
        DCR     C
        CALL    RECULE
        JMP     LIR1
LIR2:   MOV     A,E
        CPI     10H
        JC      LIR1
        CPI     20H
        JC      AJOUTE
        JMP     LIR1
LIR3:   MOV     A,E
        CPI     0DH
        JZ      LIRFIN
        CPI     20H
        JC      LIR1
        CPI     7FH
        JNC     LIR1
AJOUTE: MOV     A,C
        CPI     LIGMAX
        JNC     LIR1
        ADI     LOW LIGNE
        MOV     L,A
        MVI     H,HIGH LIGNE
        MOV     M,E
        INR     C
        MOV     A,E
        CALL    ECRCAR
        JMP     LIR1
LIRFIN: MOV     A,C
        ADI     LOW LIGNE
        MOV     L,A
        MVI     H,HIGH LIGNE
        MVI     M,0
        JMP     ALALIG

; Cursor one column back, the cell rubbed out.
RECULE: LDA     COLCUR
        ORA     A
        RZ
        DCR     A
        STA     COLCUR
        CALL    ADRCUR
        MVI     M,' '
        RET

; ---------------------------------------------------------------------------
; Screen output.

; HL := address of the cursor cell. Uses A.
ADRCUR: LDA     LIGCUR
        ORA     A
        RAR
        MOV     H,A
        MVI     A,0
        RAR
        MOV     L,A
        LDA     COLCUR
        ADD     L
        MOV     L,A
        MOV     A,H
        ADI     HIGH TVRAM
        MOV     H,A
        RET

; Shows the character A at the cursor; 0DH goes to the next line. Keeps
; every register but A and the flags.
ECRCAR: PUSH    H
        PUSH    PSW
        CPI     0DH
        JZ      ECRC1
        CALL    ADRCUR
        POP     PSW
        PUSH    PSW
        MOV     M,A
        LDA     COLCUR
        INR     A
        STA     COLCUR
        LXI     H,LARGEUR
        CMP     M
        CNC     ALALIG
        POP     PSW
        POP     H
        RET
ECRC1:  CALL    ALALIG
        POP     PSW
        POP     H
        RET

ESPACE: MVI     A,' '
        JMP     ECRCAR

; Next line, scrolling at the bottom. Uses A.
ALALIG: XRA     A
        STA     COLCUR
        LDA     LIGCUR
        INR     A
        CPI     NBLIG
        JC      ALAL1
        CALL    DEFILE
        MVI     A,NBLIG-1
ALAL1:  STA     LIGCUR
        RET

; To the start of a line unless already there.
DEBLIG: LDA     COLCUR
        ORA     A
        RZ
        JMP     ALALIG

; Rows 1..23 move up one row; the last row is cleared. Uses A.
DEFILE: PUSH    B
        PUSH    D
        PUSH    H
        LXI     H,TVRAM+128
        LXI     D,TVRAM
        LXI     B,(NBLIG-1)*128
DEF1:   MOV     A,M
        STAX    D
        INX     H
        INX     D
        DCX     B
        MOV     A,B
        ORA     C
        JNZ     DEF1
        MVI     C,128
        MVI     A,' '
DEF2:   STAX    D
        INX     D
        DCR     C
        JNZ     DEF2
        POP     H
        POP     D
        POP     B
        RET

; Clears the 24 rows of 128 characters; cursor at the top left.
EFFECR: LXI     H,TVRAM
        LXI     B,NBLIG*128
EFF1:   MVI     M,' '
        INX     H
        DCX     B
        MOV     A,B
        ORA     C
        JNZ     EFF1
        XRA     A
        STA     LIGCUR
        STA     COLCUR
        STA     CURVIS
        RET

; Shows the text at HL up to its 0; HL then points after the 0.
ECRIT:  MOV     A,M
        INX     H
        ORA     A
        RZ
        CALL    ECRCAR
        JMP     ECRIT

; HL in four hexadecimal digits, A in two.
ECRHX4: MOV     A,H
        CALL    ECRHX2
        MOV     A,L
ECRHX2: PUSH    PSW
        RRC
        RRC
        RRC
        RRC
        CALL    ECRNIB
        POP     PSW
ECRNIB: ANI     0FH
        CPI     10
        JC      NIB1
        ADI     'A'-'0'-10
NIB1:   ADI     '0'
        JMP     ECRCAR

; Decimal output of A, of HL, and of the 24-bit NOMBRE.
ECRDEC8:
        MOV     L,A
        MVI     H,0
ECRD16: SHLD    NOMBRE
        XRA     A
        STA     NOMBRE+2
ECRDEC: MVI     E,0
EDC1:   CALL    DIV10
        ADI     '0'
        PUSH    PSW
        INR     E
        LXI     H,NOMBRE
        MOV     A,M
        INX     H
        ORA     M
        INX     H
        ORA     M
        JNZ     EDC1
EDC2:   POP     PSW
        CALL    ECRCAR
        DCR     E
        JNZ     EDC2
        RET

; NOMBRE := NOMBRE / 10, A := the remainder. Uses B, C, HL.
DIV10:  MVI     B,24
        MVI     C,0
        LXI     H,NOMBRE
DIV1:   MOV     A,M
        ADD     A
        MOV     M,A
        INX     H
        MOV     A,M
        RAL
        MOV     M,A
        INX     H
        MOV     A,M
        RAL
        MOV     M,A
        DCX     H
        DCX     H
        MOV     A,C
        RAL
        MOV     C,A
        SUI     10
        JC      DIV2
        MOV     C,A
        INR     M
DIV2:   DCR     B
        JNZ     DIV1
        MOV     A,C
        RET

; ---------------------------------------------------------------------------
; Texts, in the machine's character set.

MSGTIT: DB      'Moniteur Zorvex QBM71K',0DH
        DB      'M',CEAIGU,'moire vive : ',0
MSGKO:  DB      ' k-octets',0DH
        DB      'Tapez ? pour la liste des commandes.',0DH,0
MSGRST: DB      'Retour au moniteur',0DH,0
MSGCMD: DB      'Commande inconnue (? pour la liste)',0
MSGSYN: DB      'Erreur de syntaxe',0
MSGVAL: DB      'Valeur trop grande',0
MSGMAN: DB      'Argument manquant',0
MSGPRO: DB      'Zone prot',CEAIGU,'g',CEAIGU,'e (ROM, moniteur ou pile)',0
MSGPRT: DB      'Refus',CEAIGU,' : ce port arr',CECIRC,'terait le moniteur',0
MSGORD: DB      'Fin avant le d',CEAIGU,'but',0
MSGNB:  DB      'Nombre d',CEAIGU,'cimal invalide (0 ',CAGRAV,' 65535)',0
MSGSTOP:
        DB      'Interrompu',0
MSGPORT:
        DB      'Port ',0
MSGEGAL:
        DB      ' = ',0
MSGPLUS:
        DB      ' + ',0
MSGHORS:
        DB      'hors limites',0
MSGOCT: DB      'Octets du r',CEAIGU,'sultat : ',0
MSGIMP: DB      'Ligne imprim',CEAIGU,'e',0
MSGTRA: DB      'Figure dessin',CEAIGU,'e (E l',27H,'efface)',0
MSGEFF: DB      'Graphique effac',CEAIGU,0
MSGLEC: DB      'Lecteur inconnu',0
MSGSEC: DB      'Secteur hors du disque',0
MSGDOK: DB      'Disque : op',CEAIGU,'ration r',CEAIGU,'ussie',0
MSGD69: DB      'Disque prot',CEAIGU,'g',CEAIGU,' en ',CEAIGU,'criture',0
MSGD6A: DB      'Pas de disque dans le lecteur',0
MSGDRP: DB      'Disque : r',CEAIGU,'ponse incorrecte',0
MSGDNR: DB      'Disque : pas de r',CEAIGU,'ponse',0
MSGFMQ: DB      'Tout effacer ? (O/N) ',0
MSGABD: DB      'Abandon',0
MSG80:  DB      '80 colonnes',0
MSG128: DB      '128 colonnes',0

FMTHEUR:
        DB      'Il est ',6,5,':',4,3,':',2,1,',',0,' le ',0FEH,' '
        DB      8,7,'/',11,10,0FFH
JOURS:  DB      'dimanche',0,'lundi',0,'mardi',0,'mercredi',0
        DB      'jeudi',0,'vendredi',0,'samedi',0

AIDE:   DB      '? : liste des commandes',0
        DB      'D d',CEAIGU,'but [fin] : affiche la m',CEAIGU,'moire (Espace arr',CECIRC,'te)',0
        DB      'M adresse octet... : modifie la m',CEAIGU,'moire',0
        DB      'F d',CEAIGU,'but fin octet : remplit la m',CEAIGU,'moire',0
        DB      'G adresse : ex',CEAIGU,'cute un programme (retour par RET)',0
        DB      'I port : lit un port',0
        DB      'O port octet : ',CEAIGU,'crit dans un port',0
        DB      'H : affiche l',27H,'heure et la date',0
        DB      'P texte : imprime une ligne',0
        DB      'T : dessine une figure graphique',0
        DB      'E : efface le graphique',0
        DB      'A nombre nombre : addition d',CEAIGU,'cimale par le 9512',0
        DB      'C : bascule entre 80 et 128 colonnes',0
        DB      'L lecteur secteur adresse : lit un secteur',0
        DB      'S lecteur secteur adresse : ',CEAIGU,'crit un secteur',0
        DB      'K lecteur : formate le disque (efface tout)',0
        DB      'Nombres en hexad',CEAIGU,'cimal, sauf pour A.',0
        DB      0

        END
