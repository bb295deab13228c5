// Turns editing of the shown document on or off and answers the document's design mode.
(function (on) {
    document.designMode = on ? 'on' : 'off';
    if (document.body)
        document.body.contentEditable = on ? 'true' : 'inherit';
    return document.designMode;
})
