# bash completion for velkaro: subcommands, their options, colour names for the band decoders and folders for
# --dir. Self-contained (no bash-completion helpers), so it also works when sourced by hand.
_velkaro() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local sub="" i
    for ((i = 1; i < COMP_CWORD; i++)); do
        [[ ${COMP_WORDS[i]} == -* ]] || { sub=${COMP_WORDS[i]}; break; }
    done
    if [[ -z $sub ]]; then
        mapfile -t COMPREPLY < <(compgen -W "resistor capacitor values smd inductor led ne555 wires drop solar
            eseries bands smdcode capcode divider combine regulator identify trackwidth via spacing impedance
            attenuator fusing cable wavelength galvanic datasheets ftp web --tablet --help --version" -- "$cur")
        return
    fi

    # Per subcommand: the options that take a value, and the flags.
    local values="" flags="--help"
    case $sub in
        resistor | inductor) values="--rows" flags+=" --json" ;;
        capacitor) values="--rows" flags+=" --html --json" ;;
        values | smd) flags+=" --json" ;;
        led) values="--supply --count --forward --current" flags+=" --json" ;;
        ne555) values="--c1 --r1 --c2 --ra --rb" flags+=" --json" ;;
        wires) flags+=" --json" ;;
        drop) values="--awg --current --length" flags+=" --json" ;;
        solar) values="--load --voltage --sun --panel" flags+=" --json" ;;
        eseries | combine) values="--series" flags+=" --json" ;;
        bands) values="--bands --tolerance --tcr" flags+=" --inductor --json" ;;
        smdcode | identify) flags+=" --json" ;;
        capcode) values="--tolerance" flags+=" --json" ;;
        divider) values="--vin --vout --series --load --min-total --max-total" flags+=" --json" ;;
        regulator) values="--vout --r1 --r2 --vref --iadj --type --tolerance --series" flags+=" --json" ;;
        trackwidth) values="--current --width --rise --thickness --copper-oz --length --ambient"
            flags+=" --internal --json" ;;
        via) values="--hole --thickness --length --pad --clearance --er --rise --ambient --current" flags+=" --json" ;;
        spacing) values="--voltage --class" flags+=" --table --json" ;;
        impedance) values="--width --height --thickness --copper-oz --er --gap --outer --inner --diameter --spacing
            --z0 --zdiff" flags+=" --json" ;;
        attenuator) values="--db --z0 --zin --zout --series" flags+=" --json" ;;
        fusing) values="--area --width --thickness --copper-oz --time --current --ambient" flags+=" --json" ;;
        cable) values="--awg --area --length --current --material --temperature --max-drop" flags+=" --json" ;;
        wavelength) values="--frequency --velocity-factor" flags+=" --json" ;;
        galvanic) flags+=" --json" ;;
        datasheets)
            values="--dir"
            case " ${COMP_WORDS[*]:1:COMP_CWORD-1} " in
                *" search "*) values+=" --limit" flags+=" --json" ;;
                *" index "*) flags+=" --json" ;;
                *) flags+=" --json"
                   [[ $cur != -* ]] && mapfile -t COMPREPLY < <(compgen -W "index search" -- "$cur") && return ;;
            esac ;;
        ftp) values="--dir --port --user --password-file --bind --passive-ports --max-clients --max-per-address
            --idle-timeout --login-timeout --transfer-timeout --web-port --tls-cert --tls-key" flags+=" --read-only
            --quiet --verbose --no-announce --announce-token --tls --require-tls --json" ;;
        web) values="--dir --port --user --password-file --bind --max-clients --max-per-address --idle-timeout --request-timeout"
            flags+=" --read-only --no-announce --announce-token --verbose --json" ;;
    esac

    if [[ " $values " == *" $prev "* ]]; then
        case $prev in
            --dir) mapfile -t COMPREPLY < <(compgen -d -- "$cur") ;;
            --*-file) mapfile -t COMPREPLY < <(compgen -f -- "$cur") ;;
            --series) mapfile -t COMPREPLY < <(compgen -W "E3 E6 E12 E24 E48 E96 E192" -- "${cur^^}") ;;
            --bands) mapfile -t COMPREPLY < <(compgen -W "3 4 5 6" -- "$cur") ;;
            --awg) mapfile -t COMPREPLY < <(compgen -W "0000 000 00 $(echo {0..40})" -- "$cur") ;;
            --class) mapfile -t COMPREPLY < <(compgen -W "B1 B2 B3 B4 A5 A6 A7" -- "${cur^^}") ;;
            --type) mapfile -t COMPREPLY < <(compgen -W "three-terminal standard" -- "$cur") ;;
            --material) mapfile -t COMPREPLY < <(compgen -W "copper aluminium" -- "$cur") ;;
        esac
        return
    fi
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$values $flags" -- "$cur")
    elif [[ $sub == impedance || $sub == attenuator || $sub == galvanic ]]; then
        local words="microstrip stripline cpw gcpw coax twisted-pair coupled-microstrip"
        [[ $sub == attenuator ]] && words="pi t bridged-t splitter"
        [[ $sub == galvanic ]] && words="gold rhodium silver nickel titanium copper brass high-brass stainless-steel
            chromium tin solder lead aluminium-2000 steel aluminium cadmium galvanized zinc magnesium beryllium"
        mapfile -t COMPREPLY < <(compgen -W "$words" -- "${cur,,}")
    elif [[ $sub == resistor || $sub == inductor || $sub == identify ]]; then
        mapfile -t COMPREPLY < <(compgen -W "black brown red orange yellow green blue violet gray grey white gold
            silver none" -- "${cur,,}")
    fi
}
complete -F _velkaro velkaro
